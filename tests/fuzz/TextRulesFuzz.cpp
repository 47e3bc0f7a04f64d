// The rules applied to copied text: its kind (text, link or colour), the colour a colour entry
// names, and what a link entry shows and opens.

#include "FuzzSupport.h"

#include "capture/ClipboardReader.h"
#include "panel/cards/ClipCardRules.h"
#include "panel/cards/ClipContentRules.h"

#include <cstring>

using namespace tessaly;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::application();
    if (size == 0)
        return 0;
    // The first byte picks the encoding of the rest: UTF-8 as copied text arrives, or any
    // sequence of UTF-16 code units (lone surrogates included).
    const char *rest = reinterpret_cast<const char *>(data + 1);
    QString text;
    if (data[0] & 1) {
        text = QString(qsizetype(size - 1) / 2, Qt::Uninitialized);
        memcpy(text.data(), rest, size_t(text.size()) * sizeof(QChar));
    } else {
        text = QString::fromUtf8(rest, qsizetype(size - 1));
    }

    const ClipKind kind = ClipboardReader::classify(text);
    TESSALY_FUZZ_CHECK(kind == ClipKind::Text || kind == ClipKind::Link || kind == ClipKind::Color);
    const auto color = ClipContentRules::colorFromHex(text);
    // Whatever is captured as a colour is drawn as one.
    if (kind == ClipKind::Color)
        TESSALY_FUZZ_CHECK(color && color->isValid());

    ClipItem item;
    item.kind = kind;
    item.text = text;
    const QString title = ClipContentRules::linkTitle(item.text);
    if (kind == ClipKind::Link)
        TESSALY_FUZZ_CHECK(!title.isEmpty());
    (void)ClipCardRules::linkURL(item);
    (void)ClipContentRules::colorLabel(item.text);
    (void)ClipContentRules::textPreview(item.text);
    return 0;
}
