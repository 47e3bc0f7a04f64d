// The file lists other applications put on the clipboard (text/uri-list and
// x-special/gnome-copied-files) and its plain-text targets, then the capture the clipboard reader
// makes of them.

#include "FuzzSupport.h"

#include "capture/ClipboardReader.h"
#include "platform/clipboard/SelectionTypes.h"

using namespace tessaly;
using namespace tessaly::clipboard;

namespace {

// A clipboard that offers the input under one target, as an X11 owner would.
class InputReading : public PasteboardReading
{
public:
    InputReading(QString target, QByteArray bytes)
        : m_target(std::move(target)), m_bytes(std::move(bytes))
    {}

    QStringList types() override { return {m_target}; }
    std::optional<QList<QStringList>> items() override { return QList<QStringList>{{m_target}}; }
    std::optional<QByteArray> data(qsizetype item, const QString &type, qint64 maxBytes) override
    {
        return item == 0 ? data(type, maxBytes) : std::nullopt;
    }
    std::optional<QByteArray> data(const QString &type, qint64 maxBytes) override
    {
        if (type != m_target || m_bytes.size() > maxBytes)
            return std::nullopt;
        return m_bytes;
    }
    QList<QUrl> fileURLs(qint64) override
    {
        if (m_target == u"text/uri-list")
            return SelectionTypes::fileURLsFromUriList(m_bytes);
        if (m_target == u"x-special/gnome-copied-files")
            return SelectionTypes::fileURLsFromGnomeCopiedFiles(m_bytes);
        return {};
    }
    std::optional<QString> string(qint64) override
    {
        if (m_target != u"UTF8_STRING" && m_target != SelectionTypes::latin1TextTarget())
            return std::nullopt;
        if (auto text = SelectionTypes::decodeText(m_target, m_bytes))
            return text;
        return SelectionTypes::decodeTextLeniently(m_target, m_bytes);
    }
    bool isInterrupted() const override { return false; }

private:
    QString m_target;
    QByteArray m_bytes;
};

void checkLocalFiles(const QList<QUrl> &urls)
{
    for (const QUrl &url : urls) {
        TESSALY_FUZZ_CHECK(url.isLocalFile());
        TESSALY_FUZZ_CHECK(url.host().isEmpty());
        TESSALY_FUZZ_CHECK(url.toLocalFile().startsWith(u'/'));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::application();
    if (size == 0)
        return 0;
    static const QString targets[] = {
        QStringLiteral("text/uri-list"),
        QStringLiteral("x-special/gnome-copied-files"),
        QStringLiteral("UTF8_STRING"),
        QStringLiteral("STRING"),
    };
    // The first byte picks the target, the rest is what the owner sent.
    const QString &target = targets[data[0] % std::size(targets)];
    const QByteArray bytes = fuzz::bytesOf(data + 1, size - 1);

    checkLocalFiles(SelectionTypes::fileURLsFromUriList(bytes));
    checkLocalFiles(SelectionTypes::fileURLsFromGnomeCopiedFiles(bytes));
    const auto strict = SelectionTypes::decodeText(target, bytes);
    const QString lenient = SelectionTypes::decodeTextLeniently(target, bytes);
    if (strict)
        TESSALY_FUZZ_CHECK(*strict == lenient);

    InputReading reading(target, bytes);
    const auto capture = ClipboardReader::read(reading, nullptr, ReadOptions{});
    if (capture && capture->kind == ClipKind::File) {
        TESSALY_FUZZ_CHECK(capture->filePaths && !capture->filePaths->isEmpty());
        for (const QString &path : *capture->filePaths)
            TESSALY_FUZZ_CHECK(path.startsWith(u'/'));
    }
    return 0;
}
