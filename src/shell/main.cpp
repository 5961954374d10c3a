// The Quillory editor: starts with the picture named on the command line, or a new one.
#include <QApplication>

#include "shell/CVandApp.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    quillory::CVandApp app;
    quillory::StartOptions options;
    options.arguments = QApplication::arguments().mid(1);
    if (!app.InitInstance(options)) return 1;
    return QApplication::exec();
}
