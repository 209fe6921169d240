#pragma once

#include "core/lang.h"
#include "core/textutil.h"
#include "store/error.h"

#include <QString>
#include <optional>

namespace zovi {

// The input of an entry that a check refused, so that its dialog can put the focus on the
// control holding it. The second name, account and currency are those of a transfer's arriving
// row and of an exchange's currency received.
enum class EntryInput {
    Name,
    SecondName,
    Amount,
    Rate,
    Currency,
    SecondCurrency,
    Group,
    Account,
    SecondAccount,
    Repeat, // the number of times or the end date of a repetition
};

// Why an entry is refused: the message key with its built-in text (a fixed text when the key is
// empty), and the input the user has to correct.
struct EntryRefusal {
    QString key;
    QString builtIn;
    EntryInput input;

    QString message() const { return key.isEmpty() ? builtIn : LangText(key, builtIn); }
};

// The refusal of a typed amount or rate beyond kAmountLimit, with the message that names the
// limit (AmountLimitMessage); none when value is within it.
inline std::optional<EntryRefusal> AmountLimitRefusal(double value, EntryInput input) {
    if (WithinAmountLimit(value))
        return std::nullopt;
    return EntryRefusal{QString(), AmountLimitMessage(), input};
}

// What checking an entry gives back: the entry with its typed numbers normalised as far as the
// checks got (the dialog shows them so), and either the refusal of the first check that failed
// or the amount (and, for an exchange, the rate) read as numbers.
template <class Entry> struct EntryCheck {
    Entry entry;
    std::optional<EntryRefusal> refusal;
    double amount = 0;
    double rate = 0;

    // The checked entry; throws StoreError with the refusal's message when it was refused, so
    // that a command writes nothing the dialog would not have accepted.
    const EntryCheck& require() const {
        if (refusal)
            throw StoreError(refusal->message());
        return *this;
    }
};

} // namespace zovi
