// A window of another application for end-to-end tests: one text field that takes the keyboard
// focus and reports on standard output what it receives.
//   tessaly_text_target [TITLE]   the window's title ("Tessaly test target" when not given)
//   field X Y W H   the field's rectangle on the screen (display pixels), once it is shown
//   text T          the field's whole text after every change (backslashes as \\, line
//                   breaks as \n)
// Its GTK 3 twin, gtk_text_target.py, reports the same lines.
#include <QApplication>
#include <QLineEdit>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindow>

#include <cstdio>

namespace {

void report(const QByteArray &line)
{
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(app.arguments().value(1, QStringLiteral("Tessaly test target")));
    auto *layout = new QVBoxLayout(&window);
    auto *field = new QLineEdit;
    layout->addWidget(field);
    window.resize(420, 80);
    window.move(200, 300);
    window.show();
    field->setFocus();

    QObject::connect(field, &QLineEdit::textChanged, [](const QString &text) {
        QString escaped = text;
        escaped.replace(u'\\', QStringLiteral("\\\\")).replace(u'\n', QStringLiteral("\\n"));
        report("text " + escaped.toUtf8());
    });
    // Reported once the window manager has placed the window.
    auto *poll = new QTimer(&window);
    QObject::connect(poll, &QTimer::timeout, [&] {
        if (!window.isVisible() || !window.windowHandle() || !window.windowHandle()->isExposed())
            return;
        poll->stop();
        const QPoint topLeft = field->mapToGlobal(QPoint(0, 0));
        report(QStringLiteral("field %1 %2 %3 %4")
                   .arg(topLeft.x())
                   .arg(topLeft.y())
                   .arg(field->width())
                   .arg(field->height())
                   .toUtf8());
    });
    poll->start(50);
    return app.exec();
}
