// Draws the program's icon (an SVG file) into PNG files of the sizes the desktop's icon theme
// wants, so that the pictures are made from the one drawing at build time.
//
// Usage: zovi_mkicon ICON.svg SIZE OUTPUT.png [SIZE OUTPUT.png ...]
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 4 || args.size() % 2 != 0) {
        std::fprintf(stderr, "usage: zovi_mkicon ICON.svg SIZE OUTPUT.png [SIZE OUTPUT.png ...]\n");
        return 2;
    }
    QSvgRenderer svg(args[1]);
    if (!svg.isValid()) {
        std::fprintf(stderr, "zovi_mkicon: %s is not a drawing\n", qPrintable(args[1]));
        return 1;
    }
    for (qsizetype i = 2; i + 1 < args.size(); i += 2) {
        bool ok = false;
        const int size = args[i].toInt(&ok);
        if (!ok || size <= 0)
            return 2;
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        svg.render(&painter);
        painter.end();
        if (!image.save(args[i + 1], "PNG")) {
            std::fprintf(stderr, "zovi_mkicon: cannot write %s\n", qPrintable(args[i + 1]));
            return 1;
        }
    }
    return 0;
}
