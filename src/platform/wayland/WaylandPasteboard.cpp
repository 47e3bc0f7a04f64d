#include "platform/wayland/WaylandPasteboard.h"

#include "platform/clipboard/SelectionTypes.h"
#include "platform/wayland/DataControl.h"

#include <QHash>
#include <QSet>
#include <QTimer>

#include <poll.h>
#include <unistd.h>

namespace tessaly {

using wayland::DataControl;
namespace Types = clipboard::SelectionTypes;

namespace {

using Clock = std::chrono::steady_clock;

// One reading of the offer that was the selection when it was opened. Each type is asked for
// once; every wait counts against the reading's one budget.
class WaylandReading : public PasteboardReading
{
public:
    WaylandReading(std::shared_ptr<DataControl> control, DataControl::Offer offer, bool usable,
                   std::chrono::milliseconds budget)
        : m_control(std::move(control)), m_offer(std::move(offer)), m_usable(usable),
          m_budget(budget)
    {}

    QStringList types() override { return m_usable ? m_offer.types : QStringList(); }
    std::optional<QList<QStringList>> items() override
    {
        if (types().isEmpty())
            return std::nullopt;
        return QList<QStringList>{m_offer.types}; // one selection is one item
    }
    std::optional<QByteArray> data(qsizetype item, const QString &type, qint64 maxBytes) override
    {
        return item == 0 ? fetch(type, maxBytes) : std::nullopt;
    }
    std::optional<QByteArray> data(const QString &type, qint64 maxBytes) override
    {
        return fetch(type, maxBytes);
    }
    QList<QUrl> fileURLs(qint64 maxBytes) override
    {
        if (const auto list = fetch(QStringLiteral("text/uri-list"), maxBytes)) {
            const QList<QUrl> urls = Types::fileURLsFromUriList(*list);
            if (!urls.isEmpty())
                return urls;
        }
        if (const auto gnome = fetch(QStringLiteral("x-special/gnome-copied-files"), maxBytes))
            return Types::fileURLsFromGnomeCopiedFiles(*gnome);
        return {};
    }
    std::optional<QString> string(qint64 maxBytes) override
    {
        QStringList candidates;
        for (const QString &preferred : Types::utf8TextTargets()) {
            for (const QString &type : types()) {
                if (type.compare(preferred, Qt::CaseInsensitive) == 0 && !candidates.contains(type))
                    candidates.append(type);
            }
        }
        if (types().contains(Types::latin1TextTarget()))
            candidates.append(Types::latin1TextTarget());
        std::optional<QString> lenient;
        for (const QString &type : std::as_const(candidates)) {
            const auto bytes = fetch(type, maxBytes);
            if (!bytes)
                continue;
            if (auto text = Types::decodeText(type, *bytes))
                return text;
            if (!lenient)
                lenient = Types::decodeTextLeniently(type, *bytes);
        }
        return lenient;
    }
    bool isInterrupted() const override { return m_interrupted; }

private:
    struct Outcome
    {
        std::optional<QByteArray> bytes;
        qint64 longerThan = -1;
    };

    std::optional<QByteArray> fetch(const QString &type, qint64 maxBytes)
    {
        if (!m_usable || !m_offer.types.contains(type))
            return std::nullopt;
        if (const auto known = m_outcomes.constFind(type); known != m_outcomes.cend()) {
            if (known->bytes)
                return known->bytes->size() <= maxBytes ? known->bytes : std::nullopt;
            if (known->longerThan < 0 || maxBytes <= known->longerThan)
                return std::nullopt;
        }
        if (m_interrupted)
            return std::nullopt;
        const Outcome outcome = transfer(type, maxBytes);
        m_outcomes.insert(type, outcome);
        return outcome.bytes;
    }

    Outcome transfer(const QString &type, qint64 maxBytes)
    {
        const int fd = m_control->receive(m_offer.serial, type);
        if (fd < 0) {
            m_interrupted = true; // another selection took its place
            return {};
        }
        QByteArray bytes;
        Outcome outcome;
        for (;;) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(m_budget - m_waited);
            if (left.count() <= 0) {
                m_interrupted = true; // the owner had its time
                break;
            }
            pollfd ready{fd, POLLIN, 0};
            const Clock::time_point start = Clock::now();
            const int polled = poll(&ready, 1, int(left.count()));
            m_waited += Clock::now() - start;
            if (polled <= 0)
                continue; // the budget decides
            char buffer[65536];
            const qint64 room = maxBytes + 1 - bytes.size();
            const ssize_t n = ::read(fd, buffer, size_t(std::min<qint64>(sizeof buffer, room)));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                if (n == 0)
                    outcome.bytes = bytes; // the owner closed its end: all there is
                break;
            }
            bytes.append(buffer, n);
            if (bytes.size() > maxBytes) {
                outcome.longerThan = maxBytes; // abandoned: the owner sees its pipe closed
                break;
            }
        }
        close(fd);
        return outcome;
    }

    std::shared_ptr<DataControl> m_control;
    DataControl::Offer m_offer;
    bool m_usable;
    Clock::duration m_budget;
    Clock::duration m_waited{};
    bool m_interrupted = false;
    QHash<QString, Outcome> m_outcomes;
};

} // namespace

WaylandPasteboard::WaylandPasteboard(const QByteArray &display, QObject *parent)
    : Pasteboard(parent), m_control(std::make_shared<DataControl>())
{
    m_control->onSelection = [this](const DataControl::Offer &offer) {
        if (offer.own)
            return; // counted when written
        ++m_changeCount;
        QMetaObject::invokeMethod(
            this, [this] { Q_EMIT changed(); }, Qt::QueuedConnection);
    };
    m_valid = m_control->start(display, std::chrono::seconds(1));
}

WaylandPasteboard::~WaylandPasteboard()
{
    // Readings may still hold the client: its thread ends here, so nothing calls back.
    m_control->stop();
}

QString WaylandPasteboard::protocolName() const
{
    return m_control->protocolName();
}

std::unique_ptr<PasteboardReading> WaylandPasteboard::openReading(ContentsOf contents)
{
    const DataControl::Offer offer = m_control->currentOffer();
    const bool usable =
        m_valid && !offer.empty && (contents == ContentsOf::AnyApplication || !offer.own);
    return std::make_unique<WaylandReading>(m_control, offer, usable, m_readingBudget);
}

void WaylandPasteboard::clearContents()
{
    ++m_changeCount;
    m_clearPending = true;
    const quint64 clear = ++m_clears;
    QTimer::singleShot(0, this, [this, clear] {
        if (m_clearPending && clear == m_clears) {
            m_clearPending = false;
            m_control->setSelection({});
        }
    });
}

void WaylandPasteboard::setString(const QString &text)
{
    m_clearPending = false;
    m_control->setSelection(Types::plainTextRepresentations(text));
}

void WaylandPasteboard::writeItems(const QList<PayloadItem> &items)
{
    m_clearPending = false;
    DataControl::Contents contents;
    QSet<QString> offered;
    for (const PayloadItem &item : items) {
        for (const auto &[type, bytes] : item.representations()) {
            if (offered.contains(type) || Types::isMetaTarget(type) ||
                type == DataControl::ownMarkerType())
                continue;
            offered.insert(type);
            contents.append({type, bytes});
        }
    }
    m_control->setSelection(contents);
}

std::optional<QString> WaylandPasteboard::plainString(const PayloadItem &item) const
{
    return Types::plainString(item);
}

} // namespace tessaly
