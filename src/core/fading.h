#pragma once

#include <QDialog>

namespace zovi {

// A modal dialog that, when fading is on, fades in when it is shown and out when it closes,
// changing its opacity in steps of 15 of 255. The entry dialogs turn it on from the
// "alphablend" setting each time they are opened.
class FadingDialog : public QDialog {
    Q_OBJECT

public:
    using QDialog::QDialog;

    void setFading(bool on) { m_fading = on; }
    bool fading() const { return m_fading; }

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Steps the opacity down to nothing, letting the window repaint between steps.
    void fadeOut();

    bool m_fading = false;
    bool m_closing = false;
};

} // namespace zovi
