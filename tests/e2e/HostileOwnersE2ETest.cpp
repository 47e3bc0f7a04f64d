// The running program against clipboard owners that misbehave in every way we know of, each
// after the panel was built and shown once: the main thread never stalls for more than 50 ms
// (the program's own stall reporter watches it), nothing misbehaving is recorded as if it were
// sound, and the next ordinary copy is recorded at once. An owner change storm ends with its
// last copy recorded and the memory back near where it started.

#include "TessalyProcessTest.h"

#include <QDateTime>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

using namespace Qt::Literals::StringLiterals;
using tessaly::test::waitUntil;

namespace {

constexpr int stallLimitMs = 50;
// The limit for this build: a sanitizer's own pauses stop every thread of the program.
const int stallLimit = stallLimitMs * tessaly::test::slowdown();
// Stalls longer than this are reported by the program, so that the worst one is known.
constexpr int reportedFromMs = 10;

class HostileOwnersE2ETest : public tessaly::test::TessalyProcessTest
{
protected:
    // The stalls the program reported since the last call, in milliseconds.
    QList<int> reportedStalls()
    {
        m_errors += tessaly->readAllStandardError();
        QList<int> stalls;
        static const QRegularExpression line(u"linha principal parada por (\\d+) ms"_s);
        auto matches = line.globalMatch(QString::fromUtf8(m_errors));
        while (matches.hasNext())
            stalls.append(matches.next().captured(1).toInt());
        m_errors.clear();
        return stalls;
    }

    static int longest(const QList<int> &stalls)
    {
        return stalls.isEmpty() ? 0 : *std::max_element(stalls.begin(), stalls.end());
    }

    qint64 residentKilobytes()
    {
        QFile status(u"/proc/%1/status"_s.arg(tessaly->processId()));
        if (!status.open(QIODevice::ReadOnly))
            return -1;
        for (const QByteArray &row : status.readAll().split('\n')) {
            if (row.startsWith("VmRSS:"))
                return row.mid(6).trimmed().split(' ').first().toLongLong();
        }
        return -1;
    }

    bool entryCountBelow(int count)
    {
        QFile index(temp.filePath(u"data/Tessaly/history.json"_s));
        return index.open(QIODevice::ReadOnly) && index.readAll().count("\"id\"") < count;
    }

private:
    QByteArray m_errors;
};

} // namespace

TEST_F(HostileOwnersE2ETest, NoOwnerStallsTheMainThreadOrKeepsTheNextCopyOut)
{
    const QString huge = temp.filePath(u"huge.txt"_s);
    {
        QFile file(huge);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(25 * 1024 * 1024 + 1));
    }
    environment.insert(u"TESSALY_REPORT_STALLS"_s, QString::number(reportedFromMs));
    ASSERT_TRUE(startTessaly());
    copy(u"antes de tudo"_s);
    // The panel built and shown once.
    ASSERT_EQ(run(u"xdotool"_s, {u"key"_s, u"ctrl+shift+v"_s}), 0);
    ASSERT_TRUE(waitUntil([&] { return panelShown(); }, 10000));
    ASSERT_EQ(run(u"xdotool"_s, {u"key"_s, u"Escape"_s}), 0);
    ASSERT_TRUE(waitUntil([&] { return !panelShown(); }, 5000));
    waitUntil([] { return false; }, 500);
    reportedStalls();

    const struct
    {
        const char *what;
        QStringList arguments;
        int ms; // how long the owner has the clipboard
        const char *neverRecorded;
    } owners[] = {
        {"never answers TARGETS", {u"stall"_s}, 2500, nullptr},
        {"answers TARGETS, never the data", {u"targets-only"_s}, 2500, nullptr},
        {"wrong type and format", {u"wrong-format"_s}, 1500, "hi"},
        {"INCR that dies midway", {u"die-mid-transfer"_s}, 2000, nullptr},
        {"INCR one byte at a time", {u"trickle"_s}, 4000, "xxxxxxxx"},
        {"10,000 targets",
         {u"serve"_s, u"UTF8_STRING:=dez mil tipos"_s, u"--dummy-types"_s, u"10000"_s},
         4000,
         nullptr},
        {"25 MiB + 1 byte of text", {u"serve"_s, u"UTF8_STRING:=@"_s + huge}, 4000, nullptr},
        {"invalid UTF-8 in every text target", {u"invalid-utf8"_s}, 1500, nullptr},
        {"destroys its window while read", {u"destroy-window"_s}, 1500, nullptr},
    };
    int round = 0;
    for (const auto &owner : owners) {
        SCOPED_TRACE(owner.what);
        QProcess *process = startOwner(owner.arguments);
        waitUntil([] { return false; }, owner.ms);
        process->kill();
        process->waitForFinished(5000);
        const QString after = u"depois do dono %1"_s.arg(++round);
        copy(after);
        const int worst = longest(reportedStalls());
        EXPECT_LE(worst, stallLimit);
        std::printf("%-36s worst main-thread stall %d ms\n", owner.what, worst);
        if (owner.neverRecorded) {
            EXPECT_FALSE(historyHolds(QString::fromLatin1(owner.neverRecorded)));
        }
    }

    // The storm: 2,000 owners, one every 5 ms.
    const qint64 before = residentKilobytes();
    QProcess *storm = startOwner({u"storm"_s, u"2000"_s, u"5"_s});
    QByteArray said;
    ASSERT_TRUE(waitUntil(
        [&] {
            said += storm->readAllStandardOutput();
            return said.contains("last storm 1999");
        },
        60000));
    EXPECT_TRUE(waitUntil([&] { return historyHolds(u"storm 1999"_s); }, 5000))
        << "the last copy of the storm is recorded";
    const int worst = longest(reportedStalls());
    EXPECT_LE(worst, stallLimit) << "during the storm";
    std::printf("%-36s worst main-thread stall %d ms\n", "2,000 owners in 10 s", worst);
    storm->kill();
    storm->waitForFinished(5000);
    waitUntil([] { return false; }, 2000);
    const qint64 after = residentKilobytes();
// AddressSanitizer's quarantine holds freed memory on purpose; ThreadSanitizer's allocator and
// shadow keep what was touched.
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    EXPECT_LT(after - before, 10 * 1024)
        << "resident memory " << before << " kB before the storm, " << after << " kB after";
#endif
    std::printf("resident memory around the storm: %lld kB before, %lld kB after\n",
                static_cast<long long>(before), static_cast<long long>(after));
    EXPECT_EQ(tessaly->state(), QProcess::Running);
}

// A copy marked as a password reaches nothing the program writes or maps: the history folder,
// the settings, the runtime folder, the files mapped into its memory, its log.
TEST_F(HostileOwnersE2ETest, AConcealedSecretReachesNoFileTheProgramWritesOrMaps)
{
    const QByteArray secret = "s3nha-" + QByteArray::number(QDateTime::currentMSecsSinceEpoch());
    ASSERT_TRUE(startTessaly());
    copy(u"antes do segredo"_s);
    QProcess *owner = startOwner({u"serve"_s, u"UTF8_STRING:="_s + QString::fromLatin1(secret),
                                  u"text/html:=<b>"_s + QString::fromLatin1(secret) + u"</b>"_s,
                                  u"x-kde-passwordManagerHint:=secret"_s});
    waitUntil([] { return false; }, 1500);
    owner->kill();
    copy(u"depois do segredo"_s);
    tessaly->terminate(); // everything queued is written before it ends
    ASSERT_TRUE(tessaly->waitForFinished(10000));
    EXPECT_FALSE(tessaly->readAllStandardError().contains(secret));

    QStringList files;
    for (QDirIterator it(temp.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
         it.hasNext();)
        files.append(it.next());
    ASSERT_FALSE(files.isEmpty());
    for (const QString &path : std::as_const(files)) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly)) {
            EXPECT_FALSE(file.readAll().contains(secret)) << path.toStdString();
        }
    }
}

TEST_F(HostileOwnersE2ETest, NoSecretInTheFilesMappedIntoTheRunningProgram)
{
    const QByteArray secret = "m4pped-" + QByteArray::number(QDateTime::currentMSecsSinceEpoch());
    ASSERT_TRUE(startTessaly());
    QProcess *owner = startOwner({u"serve"_s, u"UTF8_STRING:="_s + QString::fromLatin1(secret),
                                  u"x-kde-passwordManagerHint:=secret"_s});
    waitUntil([] { return false; }, 1500);
    owner->kill();
    copy(u"depois do segredo"_s);
    QFile maps(u"/proc/%1/maps"_s.arg(tessaly->processId()));
    ASSERT_TRUE(maps.open(QIODevice::ReadOnly));
    QSet<QString> mapped;
    for (const QByteArray &row : maps.readAll().split('\n')) {
        const qsizetype slash = row.indexOf(" /");
        if (slash > 0 && !row.endsWith("(deleted)"))
            mapped.insert(QString::fromLocal8Bit(row.mid(slash + 1).trimmed()));
    }
    ASSERT_FALSE(mapped.isEmpty());
    for (const QString &path : std::as_const(mapped)) {
        QFile file(path);
        if (QFileInfo(path).isFile() && QFileInfo(path).size() < (256 << 20) &&
            file.open(QIODevice::ReadOnly)) {
            EXPECT_FALSE(file.readAll().contains(secret)) << path.toStdString();
        }
    }
}
