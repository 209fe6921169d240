#pragma once

namespace zovi {

// Runs one command's writes as a whole. Writes made while a guard lives join one transaction;
// commit() makes them durable, and a guard destroyed without commit() (a thrown error) rolls
// every write back, in the files and in the shared row images, and returns every open handle to
// the view and position it had when the outermost guard began. Guards nest: an inner commit()
// only hands the work to the outer guard, an inner rollback dooms the whole transaction.
class Transaction {
public:
    Transaction();
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit();

    // True while a guard is alive anywhere in the process.
    static bool active();

private:
    bool m_done = false;
};

} // namespace zovi
