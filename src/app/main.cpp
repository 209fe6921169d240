#include "app/appsetup.h"
#include "app/mainwindow.h"
#include "store/datamodules.h"

int main(int argc, char** argv) {
    zovi::Application app(argc, argv);
    zovi::SetUpApplication();

    // The main window first, then the data modules it works on; all live until the end.
    zovi::Tdata data;
    zovi::TCDdata cd;
    zovi::Tstart_form window(data, cd);
    window.show();
    return app.exec();
}
