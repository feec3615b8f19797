#pragma once

// What the programs that draw the documentation's pictures share: the --screenshots DIR
// argument, the font the pictures use, and saving a window's picture. Run them under
// QT_QPA_PLATFORM=offscreen.

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QTextStream>
#include <QWidget>

#include <optional>

namespace zyl::test {

// The folder named by --screenshots (created when missing), after setting the pictures'
// font; nothing, with the usage on stderr, when the argument is missing.
inline std::optional<QDir> ScreenshotFolder(const char* program) {
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    const QStringList args = QApplication::arguments();
    const qsizetype at = args.indexOf(QStringLiteral("--screenshots"));
    if (at < 0 || at + 1 >= args.size()) {
        QTextStream(stderr) << "usage: " << program << " --screenshots DIR\n";
        return std::nullopt;
    }
    QDir dir(args[at + 1]);
    if (!dir.mkpath(QStringLiteral("."))) return std::nullopt;
    return dir;
}

inline void SaveShot(QWidget& window, const QDir& dir, const char* file) {
    window.show();
    QApplication::processEvents();
    const QString path = dir.filePath(QString::fromLatin1(file));
    if (!window.grab().save(path)) QTextStream(stderr) << "cannot write " << path << "\n";
}

} // namespace zyl::test
