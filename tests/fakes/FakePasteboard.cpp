#include "fakes/FakePasteboard.h"

#include <QStringDecoder>

namespace tessaly::test {

class FakePasteboard::Reading : public PasteboardReading
{
public:
    Reading(Contents contents, std::shared_ptr<QList<std::pair<QString, qint64>>> requests,
            std::mutex *mutex)
        : m_contents(std::move(contents)), m_requests(std::move(requests)), m_mutex(mutex)
    {}

    QStringList types() override
    {
        QStringList all;
        for (const PayloadItem &item : std::as_const(m_contents.items)) {
            for (const QString &type : item.types()) {
                if (!all.contains(type))
                    all.append(type);
            }
        }
        for (const QString &type : std::as_const(m_contents.extraTypes)) {
            if (!all.contains(type))
                all.append(type);
        }
        return all;
    }

    std::optional<QList<QStringList>> items() override
    {
        if (m_contents.items.isEmpty())
            return std::nullopt;
        QList<QStringList> result;
        for (const PayloadItem &item : std::as_const(m_contents.items))
            result.append(item.types());
        return result;
    }

    std::optional<QByteArray> data(qsizetype item, const QString &type, qint64 maxBytes) override
    {
        note(type, maxBytes);
        if (m_contents.interruptAfterReads >= 0 && m_reads++ >= m_contents.interruptAfterReads)
            m_interrupted = true;
        if (m_interrupted)
            return std::nullopt;
        if (item < 0 || item >= m_contents.items.size() || m_contents.vanishing.contains(type))
            return std::nullopt;
        const auto bytes = m_contents.items[item].value(type);
        if (!bytes || bytes->size() > maxBytes)
            return std::nullopt;
        return bytes;
    }

    std::optional<QByteArray> data(const QString &type, qint64 maxBytes) override
    {
        for (qsizetype i = 0; i < m_contents.items.size(); ++i) {
            if (m_contents.items[i].contains(type))
                return data(i, type, maxBytes);
        }
        return std::nullopt;
    }

    QList<QUrl> fileURLs(qint64) override
    {
        return m_interrupted ? QList<QUrl>() : m_contents.fileURLs;
    }
    std::optional<QString> string(qint64) override
    {
        if (m_interrupted)
            return std::nullopt;
        return m_contents.string;
    }
    bool isInterrupted() const override { return m_interrupted; }

private:
    void note(const QString &type, qint64 maxBytes)
    {
        std::lock_guard lock(*m_mutex);
        m_requests->append({type, maxBytes});
    }

    Contents m_contents;
    std::shared_ptr<QList<std::pair<QString, qint64>>> m_requests;
    std::mutex *m_mutex;
    int m_reads = 0;
    bool m_interrupted = false;
};

FakePasteboard::FakePasteboard(QObject *parent)
    : Pasteboard(parent), m_requests(std::make_shared<QList<std::pair<QString, qint64>>>())
{}

void FakePasteboard::copy(const Contents &contents)
{
    {
        std::lock_guard lock(m_mutex);
        m_contents = contents;
    }
    ++m_changeCount;
    if (m_announces)
        Q_EMIT changed();
}

void FakePasteboard::copyText(const QString &text, const QList<PayloadItem::Representation> &extra)
{
    Contents contents;
    PayloadItem item;
    item.insert(QStringLiteral("UTF8_STRING"), text.toUtf8());
    for (const auto &[type, bytes] : extra)
        item.insert(type, bytes);
    contents.items = {item};
    contents.string = text;
    copy(contents);
}

void FakePasteboard::bumpChangeCount()
{
    ++m_changeCount;
    if (m_announces)
        Q_EMIT changed();
}

FakePasteboard::Contents FakePasteboard::contents() const
{
    std::lock_guard lock(m_mutex);
    return m_contents;
}

QList<std::pair<QString, qint64>> FakePasteboard::dataRequests() const
{
    std::lock_guard lock(m_mutex);
    return *m_requests;
}

std::unique_ptr<PasteboardReading> FakePasteboard::openReading(ContentsOf)
{
    ++m_readingsOpened;
    std::lock_guard lock(m_mutex);
    return std::make_unique<Reading>(m_contents, m_requests, &m_mutex);
}

void FakePasteboard::clearContents()
{
    {
        std::lock_guard lock(m_mutex);
        m_contents = {};
    }
    ++m_clearCount;
    ++m_changeCount;
    m_writes.append(Write{});
}

void FakePasteboard::setString(const QString &text)
{
    {
        std::lock_guard lock(m_mutex);
        PayloadItem item;
        item.insert(QStringLiteral("UTF8_STRING"), text.toUtf8());
        m_contents.items = {item};
        m_contents.string = text;
    }
    if (m_writes.isEmpty())
        m_writes.append(Write{});
    m_writes.last().string = text;
}

std::optional<QString> FakePasteboard::plainString(const PayloadItem &item) const
{
    const auto bytes = item.value(QStringLiteral("UTF8_STRING"));
    if (!bytes)
        return std::nullopt;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder(*bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

void FakePasteboard::writeItems(const QList<PayloadItem> &items)
{
    {
        std::lock_guard lock(m_mutex);
        m_contents.items = items;
        m_contents.string.reset();
        for (const PayloadItem &item : items) {
            if (const auto text = item.value(QStringLiteral("UTF8_STRING"))) {
                m_contents.string = QString::fromUtf8(*text);
                break;
            }
        }
    }
    if (m_writes.isEmpty())
        m_writes.append(Write{});
    m_writes.last().items = items;
}

} // namespace tessaly::test
