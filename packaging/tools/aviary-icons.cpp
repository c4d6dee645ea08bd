// aviary-icons <dir>: the desktop icons of Wren, Kestrel and Merlin as
// hicolor PNGs (<dir>/<n>x<n>/apps/aviary-<program>.png), painted from the
// pictures the programs show in their own title bars.
#include <shell/ShellImages.h>
#include <wren/ui/FamilyPictures.h>

#include <QDir>
#include <QGuiApplication>
#include <QIcon>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: aviary-icons <output directory>\n");
        return 2;
    }
    // Drawing needs no screen.
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    const QString out = QString::fromLocal8Bit(argv[1]);
    // Kestrel and Merlin share the shell but not the icon: a user with both
    // open tells them apart on the task bar.
    const struct {
        const char* name;
        QIcon icon;
    } icons[] = {{"aviary-wren", wren::selectorIcon()},
                 {"aviary-kestrel", shell::programIcon("Kestrel")},
                 {"aviary-merlin", shell::programIcon("Merlin")}};
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(out).arg(size);
        if (!QDir().mkpath(dir)) {
            std::fprintf(stderr, "aviary-icons: cannot make %s\n", qPrintable(dir));
            return 1;
        }
        for (const auto& i : icons) {
            const QString file = QStringLiteral("%1/%2.png").arg(dir, QLatin1String(i.name));
            const QPixmap pm = i.icon.pixmap(QSize(size, size));
            if (pm.size() != QSize(size, size) || !pm.save(file, "PNG")) {
                std::fprintf(stderr, "aviary-icons: cannot write %s\n", qPrintable(file));
                return 1;
            }
        }
    }
    return 0;
}
