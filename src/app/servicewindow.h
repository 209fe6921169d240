#pragma once

#include <QDialog>

namespace zovi {

class Tdata;

// The service window: opens, closes and refreshes the three ledger handles by hand.
class TfSystemMenu : public QDialog {
    Q_OBJECT

public:
    explicit TfSystemMenu(Tdata& data, QWidget* parent = nullptr);

private:
    Tdata& m_data;
};

} // namespace zovi
