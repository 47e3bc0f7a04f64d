// Times the history store on a realistic history: 400 short texts (20–200 characters), 90 of
// 5–50 KB and 10 of 200 KB. Prints the main-thread cost of adding a new text and a duplicate,
// the time to encode and write the index, and the time to load the history at start.

#include "history/HistoryStore.h"
#include "history/IndexCoding.h"
#include "history/PrivateFiles.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

using namespace tessaly;

namespace {

QString randomText(QRandomGenerator &random, int length)
{
    static const QString alphabet =
        QStringLiteral("abcdefghijklmnopqrstuvwxyz ABCDEFGHIJ 0123456789 çãéõ\n\t\"\\");
    QString text;
    text.reserve(length);
    for (int i = 0; i < length; ++i)
        text.append(alphabet[random.bounded(alphabet.size())]);
    return text;
}

Capture capture(const QString &text)
{
    Capture c =
        test::textCapture(text, QStringLiteral("org.example.Editor"), QStringLiteral("Editor"));
    c.payload.items[0].insert(QStringLiteral("text/plain;charset=utf-8"), text.toUtf8());
    c.byteSize = c.payload.byteSize();
    return c;
}

struct Stats
{
    double median = 0;
    double p90 = 0;
    double max = 0;
};

Stats stats(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    Stats s;
    s.median = samples[samples.size() / 2];
    s.p90 = samples[samples.size() * 9 / 10];
    s.max = samples.back();
    return s;
}

void print(const char *what, const Stats &s)
{
    std::printf("%-44s median %8.3f ms   p90 %8.3f ms   max %8.3f ms\n", what, s.median, s.p90,
                s.max);
}

double msSince(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    QRandomGenerator random(2026);

    QList<QString> texts;
    for (int i = 0; i < 400; ++i)
        texts.append(randomText(random, 20 + random.bounded(181)));
    for (int i = 0; i < 90; ++i)
        texts.append(randomText(random, 5000 + random.bounded(45001)));
    for (int i = 0; i < 10; ++i)
        texts.append(randomText(random, 200000));
    std::shuffle(texts.begin(), texts.end(), std::mt19937(7));

    const QString directory = dir.filePath(QStringLiteral("Tessaly"));
    qint64 indexBytes = 0;
    qsizetype entries = 0;
    {
        HistoryStore store(directory);
        store.setLimitProvider([] { return 600; });
        for (const QString &text : std::as_const(texts))
            store.add(capture(text));
        store.waitForPendingWrites();
        std::printf("history: %lld entries, index %.2f MB\n\n", qlonglong(store.items().size()),
                    double(QFileInfo(store.indexPath()).size()) / 1e6);

        // Main-thread cost of add: everything up to the return (the files are written later).
        std::vector<double> addNew;
        std::vector<double> addDuplicate;
        for (int round = 0; round < 60; ++round) {
            const Capture fresh = capture(randomText(random, 20 + random.bounded(181)));
            QElapsedTimer timer;
            timer.start();
            store.add(fresh);
            addNew.push_back(msSince(timer));
            store.waitForPendingWrites();

            const Capture again = capture(texts[random.bounded(texts.size())]);
            timer.restart();
            store.add(again);
            addDuplicate.push_back(msSince(timer));
            store.waitForPendingWrites();
        }
        print("add of a new text (main thread)", stats(addNew));
        print("add of a duplicate (main thread)", stats(addDuplicate));

        // The index write the I/O thread does after every change.
        std::vector<double> encode;
        std::vector<double> write;
        const QList<ClipItem> items = store.items();
        const QString scratch = dir.filePath(QStringLiteral("scratch.json"));
        for (int round = 0; round < 20; ++round) {
            QElapsedTimer timer;
            timer.start();
            const QByteArray bytes = IndexCoding::encodeIndex(items);
            encode.push_back(msSince(timer));
            timer.restart();
            PrivateFiles::writeAtomically(scratch, bytes);
            write.push_back(msSince(timer));
            indexBytes = bytes.size();
        }
        print("index encoding (I/O thread)", stats(encode));
        print("index atomic write (I/O thread)", stats(write));
        entries = store.items().size();
    }

    std::vector<double> load;
    for (int round = 0; round < 15; ++round) {
        HistoryStore store(directory);
        store.setLimitProvider([] { return 600; });
        QElapsedTimer timer;
        timer.start();
        store.load();
        load.push_back(msSince(timer));
        if (store.items().size() != entries) {
            std::fprintf(stderr, "load found %lld entries\n", qlonglong(store.items().size()));
            return 1;
        }
    }
    print("load (read, decode, snapshot check, sort)", stats(load));
    std::printf("\nindex size: %.2f MB\n", double(indexBytes) / 1e6);
    return 0;
}
