#pragma once

#include "capture/Pasteboard.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QUrl>

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>

namespace tessaly::test {

// A clipboard in memory. Other applications' copies are simulated with copy…(); the program's
// own writes go through the Pasteboard interface and are recorded for inspection. A reading
// sees the contents as they were when it was opened.
class FakePasteboard : public Pasteboard
{
    Q_OBJECT

public:
    // What is on the clipboard.
    struct Contents
    {
        QList<PayloadItem> items;
        // The plain-text flavour and the file URLs, as the system would derive them.
        std::optional<QString> string;
        QList<QUrl> fileURLs;
        // Types listed but whose data never arrives (an owner that lists more than it gives).
        QSet<QString> vanishing;
        // Types listed on top of the items' own (markers without data).
        QStringList extraTypes;
        // After this many data reads the reading counts as interrupted (an owner that stops
        // answering); -1 for never.
        int interruptAfterReads = -1;
    };

    // One write of the program.
    struct Write
    {
        std::optional<QString> string;
        QList<PayloadItem> items;
    };

    explicit FakePasteboard(QObject *parent = nullptr);

    // Another application copies: the contents are replaced, the change count rises, and the
    // change is announced when announcesChanges is on.
    void copy(const Contents &contents);
    // A text copy: one item with UTF8_STRING (and any extra representations) plus the string.
    void copyText(const QString &text, const QList<PayloadItem::Representation> &extra = {});
    // Raises the change count without new contents.
    void bumpChangeCount();
    void setAnnouncesChanges(bool on) { m_announces = on; }

    Contents contents() const;
    QList<Write> writes() const { return m_writes; }
    int clearCount() const { return m_clearCount; }
    int readingsOpened() const { return m_readingsOpened; }
    // The largest maxBytes any reading was asked with for a type (to check the limits).
    QList<std::pair<QString, qint64>> dataRequests() const;

    qint64 changeCount() const override { return m_changeCount; }
    std::unique_ptr<PasteboardReading>
    openReading(ContentsOf contents = ContentsOf::OtherApplications) override;
    void clearContents() override;
    void setString(const QString &text) override;
    void writeItems(const QList<PayloadItem> &items) override;
    // UTF8_STRING, when its bytes are UTF-8.
    std::optional<QString> plainString(const PayloadItem &item) const override;

private:
    class Reading;

    mutable std::mutex m_mutex;
    Contents m_contents;
    std::atomic<qint64> m_changeCount{0};
    bool m_announces = true;
    int m_clearCount = 0;
    int m_readingsOpened = 0;
    QList<Write> m_writes;
    std::shared_ptr<QList<std::pair<QString, qint64>>> m_requests;
};

} // namespace tessaly::test
