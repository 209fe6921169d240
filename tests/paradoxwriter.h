#pragma once

// Writes Paradox tables as the previous major version of the program left them, for the import
// tests and the import benchmark: texts in Windows-1251, dates as Paradox day numbers, empty
// values as the format's empty fields.

extern "C" {
#include <paradox.h>
}

#include "core/textutil.h"

#include <QDate>
#include <QFile>
#include <QString>
#include <QVariant>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace zovi::test {

struct ParadoxField {
    const char* name;
    char type;  // pxfAlpha, pxfNumber, pxfLong, pxfAutoInc, pxfDate, pxfLogical
    int length; // the bytes of an alpha field; ignored for the others
};

// One row: a value per field, in the field order; a null QVariant is an empty field. Texts are
// QStrings (written in Windows-1251) or QByteArrays (written as they are).
using ParadoxRow = std::vector<QVariant>;

// Writes the table; false when pxlib refuses it.
inline bool WriteParadoxTable(const QString& path, const std::vector<ParadoxField>& fields,
                              const std::vector<ParadoxRow>& rows, int codePage = 1251) {
    pxdoc_t* doc = PX_new();
    // pxlib frees the field list with the document.
    auto* list = static_cast<pxfield_t*>(std::calloc(fields.size(), sizeof(pxfield_t)));
    int recordSize = 0;
    for (size_t i = 0; i < fields.size(); ++i) {
        const ParadoxField& f = fields[i];
        list[i].px_fname = strdup(f.name);
        list[i].px_ftype = f.type;
        switch (f.type) {
        case pxfAlpha:
            list[i].px_flen = f.length;
            break;
        case pxfLogical:
            list[i].px_flen = 1;
            break;
        case pxfNumber:
            list[i].px_flen = 8;
            break;
        default:
            list[i].px_flen = 4;
        }
        recordSize += list[i].px_flen;
    }
    if (PX_create_file(doc, list, int(fields.size()), QFile::encodeName(path).constData(),
                       pxfFileTypNonIndexDB) < 0) {
        PX_delete(doc);
        return false;
    }
    doc->px_head->px_doscodepage = codePage;
    std::vector<char> record(static_cast<size_t>(recordSize));
    bool ok = true;
    for (const ParadoxRow& row : rows) {
        std::fill(record.begin(), record.end(), 0);
        char* at = record.data();
        for (size_t i = 0; i < fields.size(); ++i) {
            const QVariant& v = i < row.size() ? row[i] : QVariant();
            const int length = list[i].px_flen;
            if (v.isValid() && !v.isNull()) {
                switch (fields[i].type) {
                case pxfAlpha: {
                    QByteArray bytes = v.typeId() == QMetaType::QByteArray
                                           ? v.toByteArray()
                                           : EncodeCp1251(v.toString());
                    bytes.truncate(length);
                    PX_put_data_alpha(doc, at, length, bytes.data());
                    break;
                }
                case pxfNumber:
                    PX_put_data_double(doc, at, length, v.toDouble());
                    break;
                case pxfLogical:
                    PX_put_data_byte(doc, at, length, v.toBool() ? 1 : 0);
                    break;
                case pxfDate:
                    // Paradox counts days from 1 January of the year 1 (day 1).
                    PX_put_data_long(doc, at, length, int(v.toDate().toJulianDay() - 1721425));
                    break;
                default:
                    PX_put_data_long(doc, at, length, v.toInt());
                }
            }
            at += length;
        }
        if (PX_put_record(doc, record.data()) < 0)
            ok = false;
    }
    PX_close(doc);
    PX_delete(doc);
    return ok;
}

} // namespace zovi::test
