// The running program's memory with a full history: 500 entries (400 short texts, 90 of 5–50 KB,
// 10 of 200 KB) stored beforehand, the tessaly executable started on a private X display, its
// resident and proportional set sizes read once it is idle, then again after the panel was
// opened and closed once.

#include "history/HistoryStore.h"
#include "settings/AppSettings.h"
#include "support/TestSupport.h"
#include "support/XServer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>

using namespace tessaly;
using namespace Qt::Literals::StringLiterals;

namespace {

// A field of /proc/PID/smaps_rollup ("Rss", "Pss"), in kilobytes.
qint64 memoryKilobytes(qint64 pid, const QByteArray &field)
{
    QFile rollup(u"/proc/%1/smaps_rollup"_s.arg(pid));
    if (!rollup.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : rollup.readAll().split('\n')) {
        if (line.startsWith(field + ':'))
            return line.mid(field.size() + 1).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

QString words(int bytes, QRandomGenerator &random)
{
    static const QStringList vocabulary = {u"área"_s,   u"transferência"_s, u"histórico"_s,
                                           u"copiar"_s, u"colar"_s,         u"texto"_s,
                                           u"linha"_s,  u"função"_s,        u"return"_s};
    QString text;
    while (text.size() < bytes) {
        text += vocabulary.at(random.bounded(vocabulary.size()));
        text += random.bounded(12) == 0 ? u'\n' : u' ';
    }
    return text;
}

// Resident kilobytes of /proc/PID/smaps by kind of mapping: the heap and anonymous memory (what
// the program itself holds), and the mapped files (libraries, fonts).
struct Breakdown
{
    qint64 heap = 0;
    qint64 anonymous = 0;
    qint64 files = 0;
};

Breakdown breakdown(qint64 pid)
{
    QFile smaps(u"/proc/%1/smaps"_s.arg(pid));
    Breakdown result;
    if (!smaps.open(QIODevice::ReadOnly))
        return result;
    qint64 *current = nullptr;
    for (const QByteArray &line : smaps.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() >= 5 && fields[0].contains('-') && !line.endsWith(':')) {
            const QByteArray name = fields.value(5);
            current = name == "[heap]"                         ? &result.heap
                      : name.isEmpty() || name.startsWith("[") ? &result.anonymous
                      : name.startsWith("/memfd:")             ? &result.anonymous
                                                               : &result.files;
        } else if (current && line.startsWith("Rss:")) {
            *current += fields.value(1).toLongLong();
        }
    }
    return result;
}

void report(const char *when, qint64 pid)
{
    const Breakdown parts = breakdown(pid);
    std::printf("  %s: resident %.1f MB, proportional %.1f MB\n"
                "    (heap %.1f MB, other anonymous %.1f MB, mapped files %.1f MB)\n",
                when, memoryKilobytes(pid, "Rss") / 1024.0, memoryKilobytes(pid, "Pss") / 1024.0,
                parts.heap / 1024.0, parts.anonymous / 1024.0, parts.files / 1024.0);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir temp;
    test::XServer server;
    if (!server.start()) {
        std::printf("No private X display: %s\n", qPrintable(server.errorString()));
        return 1;
    }

    // The history, written as the program writes it.
    {
        AppSettings settings(temp.filePath(u"config/Tessaly/Tessaly.conf"_s));
        settings.setMaxItems(500);
        settings.setHasCompletedOnboarding(true);
        HistoryStore store(temp.filePath(u"data/Tessaly"_s));
        store.setLimitProvider([] { return 500; });
        QRandomGenerator random(7);
        for (int i = 0; i < 500; ++i) {
            const int bytes = i < 10    ? 200 * 1024
                              : i < 100 ? int(random.bounded(5 * 1024, 50 * 1024))
                                        : int(random.bounded(8, 200));
            store.add(test::textCapture(u"%1 "_s.arg(i) + words(bytes, random)));
        }
        store.waitForPendingWrites();
    }

    QProcessEnvironment environment = server.environment();
    environment.insert(u"XDG_DATA_HOME"_s, temp.filePath(u"data"_s));
    environment.insert(u"XDG_CONFIG_HOME"_s, temp.filePath(u"config"_s));
    QDir().mkpath(temp.filePath(u"runtime"_s));
    QFile::setPermissions(temp.filePath(u"runtime"_s),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    environment.insert(u"XDG_RUNTIME_DIR"_s, temp.filePath(u"runtime"_s));
    QProcess tessaly;
    tessaly.setProcessEnvironment(environment);
    tessaly.start(QStringLiteral(TESSALY_EXECUTABLE), {});
    if (!test::waitUntil([&] { return tessaly.readAllStandardError().contains("iniciado"); },
                         15000))
        return 1;
    test::waitUntil([] { return false; }, 5000); // idle, the panel warmed up, freed memory released
    std::printf("tessaly with 500 entries (400 short, 90 of 5–50 KB, 10 of 200 KB):\n");
    report("idle after the start", tessaly.processId());

    server.run(u"xdotool"_s, {u"key"_s, u"ctrl+shift+v"_s});
    test::waitUntil([] { return false; }, 1500);
    server.run(u"xdotool"_s, {u"key"_s, u"Escape"_s});
    test::waitUntil([] { return false; }, 4000); // past the release of freed memory
    report("after the panel was opened and closed", tessaly.processId());

    tessaly.terminate();
    tessaly.waitForFinished(10000);
    return 0;
}
