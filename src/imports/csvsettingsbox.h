#pragma once

// The choices of how a CSV file is read, embedded in the import window: delimiter, encoding,
// header line, date order, decimal and thousands separators, and the role of each column. It
// guesses them all from the file; the window reads the result and rebuilds its preview whenever
// the user changes one.

#include "imports/csvimport.h"

#include <QByteArray>
#include <QList>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;

namespace zovi {

class CsvSettingsBox : public QWidget {
    Q_OBJECT

public:
    explicit CsvSettingsBox(QWidget* parent);

    // Guesses the format and the columns of the file; the mapping last imported with the same
    // header line wins over the guess.
    void setFile(const QByteArray& bytes);

    CsvFormat format() const { return m_format; }
    CsvMapping mapping() const;
    // The file's table read with the current format.
    CsvTable table() const { return m_table; }
    // Keeps the current mapping for files with the same header line (after a successful import).
    void rememberMapping();

Q_SIGNALS:
    void changed();

private:
    void showFormat();
    void onFormatChanged();
    CsvMapping startingMapping() const;
    void showColumns(const CsvMapping& mapping);

    QByteArray m_bytes;
    CsvFormat m_format;
    CsvTable m_table;

    QComboBox* m_delimiterBox;
    QComboBox* m_encodingBox;
    QCheckBox* m_headerCheck;
    QComboBox* m_dateOrderBox;
    QComboBox* m_decimalBox;
    QComboBox* m_thousandsBox;
    QWidget* m_columns;
    QGridLayout* m_columnsLayout;
    QList<QLabel*> m_columnLabels;
    QList<QComboBox*> m_columnBoxes;
};

} // namespace zovi
