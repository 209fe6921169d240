#include "imports/csvsettingsbox.h"

#include "core/lang.h"
#include "core/layouts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <utility>
#include <vector>

using namespace Qt::StringLiterals;

namespace zovi {

namespace {

constexpr int ColumnsPerRow = 4;

QComboBox* NewComboBox(QWidget* parent, const char* name,
                       const std::vector<std::pair<QString, int>>& items) {
    auto* box = Named(new QComboBox(parent), name);
    for (const auto& [text, value] : items)
        box->addItem(text, value);
    return box;
}

// Places a control under its label, the label its buddy, both named for screen readers.
void AddLabelled(QGridLayout* layout, int row, int column, const QString& text, QWidget* control) {
    auto* label = new QLabel(text, control->parentWidget());
    label->setBuddy(control);
    control->setAccessibleName(text);
    layout->addWidget(label, row, column);
    layout->addWidget(control, row, column + 1);
}

void SelectData(QComboBox* box, int value) {
    const int index = box->findData(value);
    box->setCurrentIndex(index >= 0 ? index : 0);
}

} // namespace

CsvSettingsBox::CsvSettingsBox(QWidget* parent) : QWidget(parent) {
    setObjectName(u"csvSettingsBox"_s);
    const QString comma = LangText(u"csvcomma"_s, u"Comma"_s);
    m_delimiterBox = NewComboBox(this, "csvDelimiterBox",
                                 {{comma, u','},
                                  {LangText(u"csvsemicolon"_s, u"Semicolon"_s), u';'},
                                  {LangText(u"csvtab"_s, u"Tab"_s), u'\t'}});
    m_encodingBox =
        NewComboBox(this, "csvEncodingBox",
                    {{u"UTF-8"_s, int(TextEncoding::Utf8)},
                     {LangText(u"csvutf8bom"_s, u"UTF-8 with BOM"_s), int(TextEncoding::Utf8Bom)},
                     {u"Windows-1251"_s, int(TextEncoding::Windows1251)}});
    m_headerCheck =
        Named(new QCheckBox(LangText(u"csvheader"_s, u"First line holds the column names"_s), this),
              "csvHeaderCheck");
    m_headerCheck->setAccessibleName(m_headerCheck->text());
    m_dateOrderBox =
        NewComboBox(this, "csvDateOrderBox",
                    {{LangText(u"csvdmy"_s, u"day.month.year"_s), int(DateOrder::DayMonthYear)},
                     {LangText(u"csvmdy"_s, u"month/day/year"_s), int(DateOrder::MonthDayYear)},
                     {LangText(u"csvymd"_s, u"year-month-day"_s), int(DateOrder::YearMonthDay)}});
    m_decimalBox = NewComboBox(this, "csvDecimalBox",
                               {{LangText(u"csvpoint"_s, u"Point"_s), u'.'}, {comma, u','}});
    m_thousandsBox = NewComboBox(this, "csvThousandsBox",
                                 {{LangText(u"csvnone"_s, u"None"_s), 0},
                                  {LangText(u"csvblank"_s, u"Blank"_s), u' '},
                                  {LangText(u"csvpoint"_s, u"Point"_s), u'.'},
                                  {comma, u','},
                                  {LangText(u"csvapostrophe"_s, u"Apostrophe"_s), u'\''}});

    auto* formatLayout = new QGridLayout;
    AddLabelled(formatLayout, 0, 0, LangText(u"csvdelimiter"_s, u"Delimiter:"_s), m_delimiterBox);
    AddLabelled(formatLayout, 0, 2, LangText(u"csvencoding"_s, u"Encoding:"_s), m_encodingBox);
    AddLabelled(formatLayout, 1, 0, LangText(u"csvdateorder"_s, u"Date format:"_s), m_dateOrderBox);
    AddLabelled(formatLayout, 1, 2, LangText(u"csvdecimal"_s, u"Decimal separator:"_s),
                m_decimalBox);
    AddLabelled(formatLayout, 2, 2, LangText(u"csvthousands"_s, u"Thousands separator:"_s),
                m_thousandsBox);
    formatLayout->addWidget(m_headerCheck, 2, 0, 1, 2);
    setTabOrder(m_delimiterBox, m_encodingBox);
    setTabOrder(m_encodingBox, m_headerCheck);
    setTabOrder(m_headerCheck, m_dateOrderBox);
    setTabOrder(m_dateOrderBox, m_decimalBox);
    setTabOrder(m_decimalBox, m_thousandsBox);

    auto* scroll = Named(new QScrollArea(this), "csvColumnsArea");
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    m_columns = new QWidget(scroll);
    m_columnsLayout = new QGridLayout(m_columns);
    m_columnsLayout->setAlignment(Qt::AlignTop);
    scroll->setWidget(m_columns);
    auto* columnsTitle = new QLabel(LangText(u"csvcolumns"_s, u"Columns of the file:"_s), this);
    columnsTitle->setBuddy(scroll);
    scroll->setAccessibleName(columnsTitle->text());

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(formatLayout);
    layout->addWidget(columnsTitle);
    layout->addWidget(scroll, 1);

    for (QComboBox* box :
         {m_delimiterBox, m_encodingBox, m_dateOrderBox, m_decimalBox, m_thousandsBox})
        connect(box, &QComboBox::activated, this, &CsvSettingsBox::onFormatChanged);
    connect(m_headerCheck, &QCheckBox::toggled, this, &CsvSettingsBox::onFormatChanged);
    showFormat();
}

void CsvSettingsBox::setFile(const QByteArray& bytes) {
    m_bytes = bytes;
    m_format = GuessCsvFormat(bytes);
    showFormat();
    m_table = ReadCsvTable(m_bytes, m_format);
    showColumns(startingMapping());
}

CsvMapping CsvSettingsBox::mapping() const {
    CsvMapping mapping;
    for (const QComboBox* box : m_columnBoxes)
        mapping.append(CsvColumn(box->currentData().toInt()));
    return mapping;
}

void CsvSettingsBox::rememberMapping() {
    RememberCsvMapping(m_table.header, mapping());
}

void CsvSettingsBox::showFormat() {
    const QSignalBlocker blocker(m_headerCheck);
    SelectData(m_delimiterBox, m_format.delimiter.unicode());
    SelectData(m_encodingBox, int(m_format.encoding));
    m_headerCheck->setChecked(m_format.header);
    SelectData(m_dateOrderBox, int(m_format.dateOrder));
    SelectData(m_decimalBox, m_format.decimal.unicode());
    SelectData(m_thousandsBox, m_format.thousands.unicode());
}

void CsvSettingsBox::onFormatChanged() {
    m_format.delimiter = QChar(m_delimiterBox->currentData().toInt());
    m_format.encoding = TextEncoding(m_encodingBox->currentData().toInt());
    m_format.header = m_headerCheck->isChecked();
    m_format.dateOrder = DateOrder(m_dateOrderBox->currentData().toInt());
    m_format.decimal = QChar(m_decimalBox->currentData().toInt());
    m_format.thousands = QChar(m_thousandsBox->currentData().toInt());
    const QStringList oldHeader = m_table.header;
    const int oldColumns = int(m_columnBoxes.size());
    m_table = ReadCsvTable(m_bytes, m_format);
    // Other columns or names: the roles start afresh; the same ones keep the user's choice.
    if (m_table.header != oldHeader || m_table.columnCount() != oldColumns)
        showColumns(startingMapping());
    Q_EMIT changed();
}

CsvMapping CsvSettingsBox::startingMapping() const {
    if (std::optional<CsvMapping> remembered = RememberedCsvMapping(m_table.header)) {
        remembered->resize(m_table.columnCount(), CsvColumn::None);
        return *remembered;
    }
    return GuessCsvMapping(m_table.header, m_table);
}

void CsvSettingsBox::showColumns(const CsvMapping& mapping) {
    qDeleteAll(m_columnLabels);
    qDeleteAll(m_columnBoxes);
    m_columnLabels.clear();
    m_columnBoxes.clear();
    const std::vector<std::pair<QString, int>> roles{
        {LangText(u"csvrolenone"_s, u"Not imported"_s), int(CsvColumn::None)},
        {LangText(u"csvroledate"_s, u"Date"_s), int(CsvColumn::Date)},
        {LangText(u"csvrolename"_s, u"Name"_s), int(CsvColumn::Name)},
        {LangText(u"csvroleamount"_s, u"Amount"_s), int(CsvColumn::Amount)},
        {LangText(u"csvroleincome"_s, u"Income"_s), int(CsvColumn::Income)},
        {LangText(u"csvrolecharge"_s, u"Charge"_s), int(CsvColumn::Charge)},
        {LangText(u"csvrolecurrency"_s, u"Currency"_s), int(CsvColumn::Currency)},
        {LangText(u"csvrolechargecurrency"_s, u"Charge currency"_s),
         int(CsvColumn::ChargeCurrency)},
        {LangText(u"csvrolegroup"_s, u"Group"_s), int(CsvColumn::Group)},
        {LangText(u"csvrolesubgroup"_s, u"Sub-group"_s), int(CsvColumn::SubGroup)},
        {LangText(u"csvroleaccount"_s, u"Account"_s), int(CsvColumn::Account)},
        {LangText(u"csvrolekind"_s, u"Kind"_s), int(CsvColumn::Kind)},
    };
    const QString columnName = LangText(u"csvcolumn"_s, u"Column %1"_s);
    QWidget* previous = m_thousandsBox;
    for (int c = 0; c < mapping.size(); ++c) {
        const QString name = c < m_table.header.size() && !m_table.header[c].isEmpty()
                                 ? m_table.header[c]
                                 : columnName.arg(c + 1);
        auto* box = NewComboBox(m_columns, "", roles);
        box->setObjectName(u"csvColumnBox%1"_s.arg(c + 1));
        SelectData(box, int(mapping[c]));
        auto* label = new QLabel(name, m_columns);
        label->setBuddy(box);
        box->setAccessibleName(name);
        m_columnsLayout->addWidget(label, (c / ColumnsPerRow) * 2, c % ColumnsPerRow);
        m_columnsLayout->addWidget(box, (c / ColumnsPerRow) * 2 + 1, c % ColumnsPerRow);
        connect(box, &QComboBox::activated, this, &CsvSettingsBox::changed);
        setTabOrder(previous, box);
        previous = box;
        m_columnLabels.append(label);
        m_columnBoxes.append(box);
    }
}

} // namespace zovi
