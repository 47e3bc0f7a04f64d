// A text window of another application, for the paste tests: it shows a text field with the
// focus, prints "READY <window id>" once mapped, and prints "TEXT <base64 of the whole text>"
// after every change, so that a test can see what was pasted into it.

#include <QApplication>
#include <QPlainTextEdit>
#include <QTimer>

#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tessaly-test-target"));
    QPlainTextEdit edit;
    edit.setWindowTitle(app.arguments().value(1, QStringLiteral("Target")));
    edit.resize(420, 200);
    QObject::connect(&edit, &QPlainTextEdit::textChanged, [&] {
        std::printf("TEXT %s\n", edit.toPlainText().toUtf8().toBase64().constData());
        std::fflush(stdout);
    });
    edit.show();
    QTimer::singleShot(0, [&] {
        std::printf("READY %llu\n", static_cast<unsigned long long>(edit.winId()));
        std::fflush(stdout);
    });
    return app.exec();
}
