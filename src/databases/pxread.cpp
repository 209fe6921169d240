// zovi_pxread: prints the fields and rows of one Paradox table on its standard output, for the
// import of old databases. It runs as a child process of the program, because the Paradox
// library can crash or loop on a damaged file; the program gives up on it when it is silent
// too long and then shows an error, never going down with it.
//
// The output is text, a line each:
//   zovi-paradox 1
//   codepage <the code page the table declares, 0 when none>
//   records <the number of rows that follow>
//   fields <n>, then n lines "<type>\t<name>"
//   the rows: one line each, the values separated by tabs
//   end
// Types: T text (the stored bytes, not converted), F float, I integer, D date (Julian day),
// B boolean. A value is "\N" when empty; in names and texts a backslash, tab, line feed and
// carriage return are written "\\", "\t", "\n" and "\r". Numbers are written in the C form.
// The exit status is 0 when every row was written, 2 for a usage error, 3 when the table
// cannot be read (with the reason on the standard error).

extern "C" {
#include <paradox.h>
}

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

// The Paradox library reports an empty long or date as the smallest long, and an empty number
// as not-a-number, instead of flagging it.
constexpr long kEmptyLong = -2147483647L - 1;

// Paradox counts dates from 1 January of the year 1 (day 1); this is that day's Julian day
// minus one.
constexpr long kParadoxEpoch = 1721425;

[[noreturn]] void Fail(const std::string& why) {
    std::fprintf(stderr, "%s\n", why.c_str());
    std::exit(3);
}

void ErrorHandler(pxdoc_t*, int type, const char* message, void*) {
    if (type == PX_Warning)
        return;
    Fail(message != nullptr ? message : "the Paradox library reported an error");
}

std::string out;

void Flush() {
    if (!out.empty() && std::fwrite(out.data(), 1, out.size(), stdout) != out.size())
        std::exit(3);
    out.clear();
}

void PutEscaped(const char* bytes, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        const char c = bytes[i];
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
}

template <typename Number> void PutNumber(Number value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

char TypeLetter(char paradoxType) {
    switch (paradoxType) {
    case pxfAlpha:
    case pxfMemoBLOb:
    case pxfFmtMemoBLOb:
        return 'T';
    case pxfDate:
        return 'D';
    case pxfShort:
    case pxfLong:
    case pxfAutoInc:
    case pxfTime:
        return 'I';
    case pxfLogical:
        return 'B';
    case pxfCurrency:
    case pxfNumber:
    case pxfTimestamp:
    case pxfBCD:
        return 'F';
    default:
        return 'T'; // pictures and other binary fields are given as empty texts
    }
}

// Writes the value of one field of a record read with PX_get_record. The library's getters
// return 0 for an empty field; its long getter also gives an empty long or date as the smallest
// long.
void PutValue(pxdoc_t* doc, const pxfield_t& field, char* data) {
    switch (field.px_ftype) {
    case pxfAlpha: {
        char* text = nullptr;
        if (PX_get_data_alpha(doc, data, field.px_flen, &text) <= 0 || text == nullptr) {
            out += "\\N";
            return;
        }
        // Alpha fields are padded with zero bytes.
        PutEscaped(text, std::char_traits<char>::length(text));
        doc->free(doc, text);
        return;
    }
    case pxfDate:
    case pxfLong:
    case pxfAutoInc:
    case pxfTime: {
        long value = 0;
        if (PX_get_data_long(doc, data, field.px_flen, &value) <= 0 || value == kEmptyLong ||
            (field.px_ftype == pxfDate && value <= 0)) {
            out += "\\N";
            return;
        }
        PutNumber(field.px_ftype == pxfDate ? value + kParadoxEpoch : value);
        return;
    }
    case pxfShort: {
        short value = 0;
        if (PX_get_data_short(doc, data, field.px_flen, &value) <= 0) {
            out += "\\N";
            return;
        }
        PutNumber(value);
        return;
    }
    case pxfLogical: {
        char value = 0;
        if (PX_get_data_byte(doc, data, field.px_flen, &value) <= 0) {
            out += "\\N";
            return;
        }
        PutNumber(int(value != 0));
        return;
    }
    case pxfCurrency:
    case pxfNumber:
    case pxfTimestamp: {
        double value = 0;
        if (PX_get_data_double(doc, data, field.px_flen, &value) <= 0 || !std::isfinite(value)) {
            out += "\\N";
            return;
        }
        PutNumber(value);
        return;
    }
    case pxfBCD: {
        char* digits = nullptr;
        if (PX_get_data_bcd(doc, reinterpret_cast<unsigned char*>(data), field.px_fdc, &digits) <=
                0 ||
            digits == nullptr) {
            out += "\\N";
            return;
        }
        out += digits; // the library gives the number as C text
        doc->free(doc, digits);
        return;
    }
    default:
        out += "\\N"; // memos, pictures and other binary fields are not read
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: zovi_pxread <table.db>\n");
        return 2;
    }
    const char* path = argv[1];
    struct stat info {};
    if (stat(path, &info) != 0)
        Fail(std::string("cannot read ") + path);

    pxdoc_t* doc = PX_new2(ErrorHandler, nullptr, nullptr, nullptr);
    if (doc == nullptr)
        Fail("the Paradox library could not start");
    if (PX_open_file(doc, path) < 0)
        Fail("not a Paradox table");
    const pxhead_t* head = doc->px_head;
    const int fieldCount = PX_get_num_fields(doc);
    const int records = PX_get_num_records(doc);
    const int recordSize = PX_get_recordsize(doc);
    // A damaged header may claim more rows than the file can hold; reading them would make the
    // library wander through memory.
    double fieldBytes = 0;
    for (int i = 0; i < fieldCount; ++i)
        fieldBytes += std::max(PX_get_field(doc, i)->px_flen, 0);
    const double blocks =
        double(head->px_headersize) + double(head->px_fileblocks) * head->px_maxtablesize * 1024.0;
    if (fieldCount <= 0 || records < 0 || recordSize <= 0 || fieldBytes > recordSize ||
        double(records) * recordSize > double(info.st_size) || blocks > double(info.st_size))
        Fail("the table's header is damaged");

    pxfield_t* fields = PX_get_fields(doc);
    out += "zovi-paradox 1\ncodepage ";
    PutNumber(head->px_doscodepage);
    out += "\nrecords ";
    PutNumber(records);
    out += "\nfields ";
    PutNumber(fieldCount);
    out += '\n';
    for (int i = 0; i < fieldCount; ++i) {
        out += TypeLetter(fields[i].px_ftype);
        out += '\t';
        const char* name = fields[i].px_fname != nullptr ? fields[i].px_fname : "";
        PutEscaped(name, std::char_traits<char>::length(name));
        out += '\n';
    }
    Flush();

    std::vector<char> record(static_cast<size_t>(recordSize));
    for (int row = 0; row < records; ++row) {
        if (PX_get_record(doc, row, record.data()) == nullptr)
            Fail("row " + std::to_string(row + 1) + " cannot be read");
        char* data = record.data();
        for (int i = 0; i < fieldCount; ++i) {
            if (i > 0)
                out += '\t';
            PutValue(doc, fields[i], data);
            data += fields[i].px_flen;
        }
        out += '\n';
        if (out.size() > (1 << 16))
            Flush();
    }
    out += "end\n";
    Flush();
    PX_close(doc);
    PX_delete(doc);
    return std::fflush(stdout) == 0 ? 0 : 3;
}
