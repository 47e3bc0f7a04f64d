#include "capture/ClipboardReader.h"
#include "fakes/FakePasteboard.h"
#include "fakes/FakeWorkspace.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>

#include <gtest/gtest.h>

using namespace tessaly;
using namespace Qt::Literals::StringLiterals;
using tessaly::test::FakePasteboard;
using tessaly::test::FakeWorkspace;

namespace {

constexpr qint64 MiB = 1024 * 1024;

QByteArray encodedImage(int width, int height, const char *format)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    EXPECT_TRUE(writer.write(image)) << writer.errorString().toStdString();
    return bytes;
}

// A JPEG whose EXIF block says "rotate 90° clockwise to display" (orientation 6).
QByteArray jpegWithOrientation(int width, int height)
{
    QByteArray jpeg = encodedImage(width, height, "jpeg");
    const QByteArray tiff("II*\0\x08\0\0\0"                    // little-endian TIFF, IFD at 8
                          "\x01\0"                             // one entry
                          "\x12\x01\x03\0\x01\0\0\0\x06\0\0\0" // Orientation, SHORT, 1, 6
                          "\0\0\0\0",                          // no next IFD
                          26);
    const QByteArray payload = QByteArray("Exif\0\0", 6) + tiff;
    QByteArray segment("\xff\xe1", 2);
    const int length = int(payload.size()) + 2;
    segment.append(char(length >> 8)).append(char(length & 0xff)).append(payload);
    return jpeg.insert(2, segment); // right after the start-of-image marker
}

// A small progressive JPEG whose frame header claims another size.
QByteArray progressiveJpegClaiming(int width, int height)
{
    QImage image(24, 16, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setProgressiveScanWrite(true);
    EXPECT_TRUE(writer.write(image));
    const qsizetype frame = bytes.indexOf("\xff\xc2"); // SOF2: length, precision, height, width
    EXPECT_GT(frame, 0);
    const char size[] = {char(height >> 8), char(height), char(width >> 8), char(width)};
    return bytes.replace(frame + 5, 4, size, 4);
}

PayloadItem itemOf(const QList<PayloadItem::Representation> &representations)
{
    PayloadItem item;
    for (const auto &[type, bytes] : representations)
        item.insert(type, bytes);
    return item;
}

class ClipboardReaderTest : public ::testing::Test
{
protected:
    std::optional<Capture> readText(const QString &text,
                                    const QList<PayloadItem::Representation> &extra = {})
    {
        pasteboard.copyText(text, extra);
        return read();
    }

    std::optional<Capture> read(const FakePasteboard::Contents &contents)
    {
        pasteboard.copy(contents);
        return read();
    }

    std::optional<Capture> read()
    {
        auto reading = pasteboard.openReading();
        return ClipboardReader::read(*reading, &workspace, options);
    }

    FakePasteboard pasteboard;
    FakeWorkspace workspace;
    ReadOptions options{
        true, {QStringLiteral("com.bitwarden.desktop")}, QStringLiteral("br.com.norvale.tessaly")};
};

} // namespace

TEST_F(ClipboardReaderTest, MarkersOfTransientContentAreNeverRecorded)
{
    for (const QString &marker : ClipboardReader::alwaysSkipTypes()) {
        options.ignoreConcealed = false;
        EXPECT_FALSE(readText(QStringLiteral("generated"), {{marker, QByteArray()}}))
            << marker.toStdString();
    }
    // A marker listed without any data counts as well.
    FakePasteboard::Contents contents;
    contents.items = {itemOf({{QStringLiteral("UTF8_STRING"), "x"}})};
    contents.string = QStringLiteral("x");
    contents.extraTypes = {QStringLiteral("org.nspasteboard.TransientType")};
    EXPECT_FALSE(read(contents));
}

TEST_F(ClipboardReaderTest, ConcealedContentFollowsTheSetting)
{
    const QList<PayloadItem::Representation> kde = {
        {QStringLiteral("x-kde-passwordManagerHint"), "secret"}};
    const QList<PayloadItem::Representation> marked = {
        {QStringLiteral("org.nspasteboard.ConcealedType"), QByteArray()}};

    options.ignoreConcealed = true;
    EXPECT_FALSE(readText(QStringLiteral("hunter2"), kde));
    EXPECT_FALSE(readText(QStringLiteral("hunter2"), marked));
    EXPECT_EQ(pasteboard.dataRequests().size(), 0) << "a concealed copy is not even read";

    options.ignoreConcealed = false;
    const auto capture = readText(QStringLiteral("hunter2"), kde);
    ASSERT_TRUE(capture);
    EXPECT_EQ(capture->text, QStringLiteral("hunter2"));
    EXPECT_TRUE(capture->payload.items[0].contains(QStringLiteral("x-kde-passwordManagerHint")));
}

TEST_F(ClipboardReaderTest, SourceApplicationDecidesAndIsRecorded)
{
    workspace.setFrontmost(QStringLiteral("br.com.norvale.tessaly"), QStringLiteral("Tessaly"));
    EXPECT_FALSE(readText(QStringLiteral("copied inside the program")));

    workspace.setFrontmost(QStringLiteral("com.bitwarden.desktop"), QStringLiteral("Bitwarden"));
    EXPECT_FALSE(readText(QStringLiteral("from an ignored application")));

    workspace.setFrontmost(QStringLiteral("org.gnome.TextEditor"), QStringLiteral("Editor"));
    auto capture = readText(QStringLiteral("hello"));
    ASSERT_TRUE(capture);
    EXPECT_EQ(capture->sourceBundleID, QStringLiteral("org.gnome.TextEditor"));
    EXPECT_EQ(capture->sourceAppName, QStringLiteral("Editor"));

    // A name without an id is kept; the ignore list cannot apply to it.
    workspace.setFrontmost(QString(), QStringLiteral("Bitwarden"));
    capture = readText(QStringLiteral("hello"));
    ASSERT_TRUE(capture);
    EXPECT_FALSE(capture->sourceBundleID);
    EXPECT_EQ(capture->sourceAppName, QStringLiteral("Bitwarden"));

    // With the own id unknown, nothing is taken for the program itself.
    options.ownBundleID.reset();
    workspace.setFrontmost(QStringLiteral("br.com.norvale.tessaly"), QStringLiteral("Tessaly"));
    EXPECT_TRUE(readText(QStringLiteral("hello")));

    workspace.setFrontmost(std::nullopt);
    capture = readText(QStringLiteral("hello"));
    ASSERT_TRUE(capture);
    EXPECT_FALSE(capture->sourceBundleID);
    EXPECT_FALSE(capture->sourceAppName);
    const int queries = workspace.queries();
    EXPECT_TRUE(ClipboardReader::read(*pasteboard.openReading(), nullptr, options));
    EXPECT_EQ(workspace.queries(), queries);
}

TEST_F(ClipboardReaderTest, SnapshotKeepsEveryRepresentationWithinTheLimits)
{
    // A 30 MiB TIFF is left out; the 2 MiB PNG after it stays and is the image.
    const QByteArray png = encodedImage(64, 48, "png") + QByteArray(2 * MiB, '\0');
    FakePasteboard::Contents contents;
    contents.items = {itemOf({{QStringLiteral("image/tiff"), QByteArray(30 * MiB, 't')},
                              {QStringLiteral("image/png"), png}})};
    auto capture = read(contents);
    ASSERT_TRUE(capture);
    EXPECT_EQ(capture->kind, ClipKind::Image);
    EXPECT_EQ(capture->payload.items[0].types(), QStringList{QStringLiteral("image/png")});
    EXPECT_EQ(capture->byteSize, png.size());
    EXPECT_EQ(capture->hash, ClipboardReader::hash(png));
    EXPECT_EQ(capture->imageWidth, 64);

    // Three representations of exactly 25 MiB: the third would pass 60 MiB and is left out,
    // a smaller one after it still fits.
    const QByteArray large(ClipboardReader::largestRepresentation, 'a');
    contents = {};
    contents.items = {itemOf({{QStringLiteral("UTF8_STRING"), "text"},
                              {QStringLiteral("a"), large},
                              {QStringLiteral("b"), large},
                              {QStringLiteral("c"), large},
                              {QStringLiteral("d"), "small"}})};
    contents.string = QStringLiteral("text");
    capture = read(contents);
    ASSERT_TRUE(capture);
    EXPECT_EQ(capture->payload.items[0].types(),
              (QStringList{QStringLiteral("UTF8_STRING"), QStringLiteral("a"), QStringLiteral("b"),
                           QStringLiteral("d")}));
    EXPECT_EQ(capture->byteSize, 2 * ClipboardReader::largestRepresentation + 4 + 5);

    // No representation was ever asked for more than it could be given: the third was asked
    // with the room left, so a transfer can stop as soon as it is known to be too long.
    for (const auto &[type, maxBytes] : pasteboard.dataRequests())
        EXPECT_LE(maxBytes, ClipboardReader::largestRepresentation) << type.toStdString();
    const auto requests = pasteboard.dataRequests();
    const auto third = std::find_if(requests.rbegin(), requests.rend(),
                                    [](const auto &r) { return r.first == u"c"; });
    ASSERT_NE(third, requests.rend());
    EXPECT_EQ(third->second,
              ClipboardReader::largestSnapshot - 2 * ClipboardReader::largestRepresentation - 4);
}

TEST_F(ClipboardReaderTest, SeveralItemsAndEmptySnapshots)
{
    FakePasteboard::Contents contents;
    contents.items = {itemOf({{QStringLiteral("UTF8_STRING"), "one"}}),
                      itemOf({{QStringLiteral("image/tiff"), QByteArray(26 * MiB, 'x')}}),
                      itemOf({{QStringLiteral("text/html"), "<b>two</b>"}})};
    contents.string = QStringLiteral("one");
    auto capture = read(contents);
    ASSERT_TRUE(capture);
    ASSERT_EQ(capture->payload.items.size(), 2) << "an item that kept nothing is dropped";
    EXPECT_TRUE(capture->hasRichText);

    // Types whose data never arrives leave nothing to record.
    contents = {};
    contents.items = {itemOf({{QStringLiteral("UTF8_STRING"), "gone"}})};
    contents.string = QStringLiteral("gone");
    contents.vanishing = {QStringLiteral("UTF8_STRING")};
    EXPECT_FALSE(read(contents));

    // Nothing on the clipboard at all.
    EXPECT_FALSE(read(FakePasteboard::Contents{}));
}

TEST_F(ClipboardReaderTest, KindIsFilesThenTextThenImage)
{
    const QByteArray png = encodedImage(40, 30, "png");

    // Files win over their names as a string.
    FakePasteboard::Contents contents;
    contents.items = {
        itemOf({{QStringLiteral("text/uri-list"),
                 "file:///home/ana/Relat%C3%B3rio.pdf\r\nfile:///home/ana/fotos/\r\n"},
                {QStringLiteral("UTF8_STRING"), "Relatório.pdf\nfotos"}})};
    contents.string = QStringLiteral("Relatório.pdf\nfotos");
    contents.fileURLs = {QUrl(QStringLiteral("file:///home/ana/Relat%C3%B3rio.pdf")),
                         QUrl(QStringLiteral("file:///home/ana/fotos/"))};
    auto capture = read(contents);
    ASSERT_TRUE(capture);
    EXPECT_EQ(capture->kind, ClipKind::File);
    EXPECT_EQ(capture->filePaths, (QStringList{QStringLiteral("/home/ana/Relatório.pdf"),
                                               QStringLiteral("/home/ana/fotos")}));
    EXPECT_EQ(capture->text, QStringLiteral("Relatório.pdf\nfotos"));
    EXPECT_EQ(capture->hash, ClipboardReader::filesHash(*capture->filePaths));

    // An image with a caption is text; with a caption of only blanks it is the image.
    contents = {};
    contents.items = {
        itemOf({{QStringLiteral("image/png"), png}, {QStringLiteral("UTF8_STRING"), "caption"}})};
    contents.string = QStringLiteral("caption");
    capture = read(contents);
    ASSERT_TRUE(capture);
    EXPECT_EQ(capture->kind, ClipKind::Text);
    EXPECT_FALSE(capture->imageWidth);

    contents.string = QStringLiteral(" \n\t\u00a0\u2028");
    capture = read(contents);
    ASSERT_TRUE(capture);
    EXPECT_EQ(capture->kind, ClipKind::Image);
    EXPECT_FALSE(capture->text);
    EXPECT_EQ(capture->hash, ClipboardReader::hash(png)) << "image hashes carry no prefix";
    EXPECT_TRUE(capture->thumbnailPNG);
    EXPECT_EQ(capture->thumbnailImage.size(), QSize(40, 30));
    EXPECT_EQ(capture->imageWidth, 40);
    EXPECT_EQ(capture->imageHeight, 30);

    // An image that does not decode is still recorded, without thumbnail or size.
    contents.items = {itemOf({{QStringLiteral("image/jpeg"), "not really a jpeg"}})};
    contents.string.reset();
    capture = read(contents);
    ASSERT_TRUE(capture);
    EXPECT_EQ(capture->kind, ClipKind::Image);
    EXPECT_FALSE(capture->thumbnailPNG);
    EXPECT_FALSE(capture->imageWidth);
    EXPECT_FALSE(capture->imageHeight);

    // Listed image data that vanished, or only rich text with no plain string: nothing.
    contents.vanishing = {QStringLiteral("image/jpeg")};
    contents.items = {itemOf({{QStringLiteral("image/jpeg"), "x"}, {QStringLiteral("a"), "b"}})};
    EXPECT_FALSE(read(contents));
    contents = {};
    contents.items = {itemOf({{QStringLiteral("text/html"), "<i>x</i>"}})};
    EXPECT_FALSE(read(contents));
}

TEST_F(ClipboardReaderTest, TextIsCutButHashedWhole)
{
    QString text;
    text.reserve(250'000);
    for (int i = 0; i < 250'000; ++i)
        text.append(QChar(u'a' + i % 26));
    const auto whole = readText(text);
    ASSERT_TRUE(whole);
    EXPECT_EQ(whole->text->size(), 200'000);
    EXPECT_EQ(*whole->text, text.left(200'000));
    EXPECT_EQ(whole->hash, ClipboardReader::textHash(text));

    const auto again = readText(text);
    EXPECT_EQ(again->hash, whole->hash) << "the same long text is a duplicate";
    const auto prefix = readText(text.left(200'000));
    EXPECT_NE(prefix->hash, whole->hash) << "its stored prefix is not";

    // The same bytes as text and as a file list never collide.
    EXPECT_NE(ClipboardReader::textHash(QStringLiteral("/tmp/a")),
              ClipboardReader::filesHash({QStringLiteral("/tmp/a")}));
    // Text is stored as copied, blanks included.
    EXPECT_EQ(readText(QStringLiteral("  padded\n"))->text, QStringLiteral("  padded\n"));
}

TEST_F(ClipboardReaderTest, StoredTextIsCutOnUserPerceivedCharacters)
{
    // 200,002 UTF-16 units but fewer than 200,000 characters: nothing is cut.
    const QString emoji = QStringLiteral("😀").repeated(100'001);
    const auto whole = readText(emoji);
    ASSERT_TRUE(whole);
    EXPECT_EQ(whole->text, emoji);

    // One flag too many: the cut keeps 200,000 whole flags.
    const QString flag = QStringLiteral("🇧🇷"); // one character, 4 units
    const auto cut = readText(flag.repeated(200'001));
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->text, flag.repeated(200'000));
}

TEST(ClipboardReaderStatics, HashIsLowerCaseSha256)
{
    EXPECT_EQ(ClipboardReader::hash("abc"_ba),
              QStringLiteral("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"));
    EXPECT_EQ(ClipboardReader::hash(QByteArray()),
              QStringLiteral("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"));
    // Entries keep these hashes in the history's index: their form must not change.
    EXPECT_EQ(ClipboardReader::textHash(QStringLiteral("Relatório")),
              ClipboardReader::hash("text:Relatório"_ba));
    EXPECT_EQ(ClipboardReader::filesHash(
                  {QStringLiteral("/home/ana/Relatório.pdf"), QStringLiteral("/home/ana/fotos")}),
              ClipboardReader::hash("file:/home/ana/Relatório.pdf\n/home/ana/fotos"_ba));
}

TEST(ClipboardReaderStatics, ClassifiesColoursLinksAndText)
{
    struct Case
    {
        const char16_t *text;
        ClipKind kind;
        const char *why = "";
    };
    const Case cases[] = {
        {u"  #A1b2C3 \n", ClipKind::Color},
        {u"#abc", ClipKind::Color},
        {u"#0a0B0c0D", ClipKind::Color},
        {u"\u0085#fff\u2029", ClipKind::Color, "NEL and separators are trimmed"},
        {u"#abcd", ClipKind::Text},
        {u"#abcdefg", ClipKind::Text},
        {u"# abc", ClipKind::Text},
        {u"#ａｂｃ", ClipKind::Text, "full-width letters are not hexadecimal"},

        {u"https://example.com/a path", ClipKind::Text},
        {u"example.com", ClipKind::Text},
        {u"mailto:ana@example.com", ClipKind::Link},
        {u"mailto:", ClipKind::Link},
        {u"HTTP://Example.COM/x?y=1#z", ClipKind::Link},
        {u" https://example.com \n", ClipKind::Link},
        {u"https://", ClipKind::Text},
        {u"https:///path", ClipKind::Text},
        {u"ftp://files.example.org/pub", ClipKind::Link},
        {u"file:///etc/hosts", ClipKind::Text},
        {u"javascript:alert(1)", ClipKind::Text},
        {u"http://[::1]:8080/", ClipKind::Link},
        {u"https://exa<mple.com", ClipKind::Text},
        {u"https://example.com\nhttps://example.org", ClipKind::Text},
        {u"", ClipKind::Text},
    };
    for (const Case &c : cases) {
        const QString text = QString::fromUtf16(c.text);
        SCOPED_TRACE(text.toStdString());
        EXPECT_EQ(ClipboardReader::classify(text), c.kind) << c.why;
    }
}

TEST(ClipboardReaderStatics, ThumbnailsAreBoundedAndKeepTheSourceSize)
{
    auto thumbnail = ClipboardReader::makeThumbnail(encodedImage(4000, 3000, "png"), 720);
    ASSERT_TRUE(thumbnail);
    EXPECT_EQ(thumbnail->width, 4000);
    EXPECT_EQ(thumbnail->height, 3000);
    ASSERT_TRUE(thumbnail->png);
    const QImage decoded = QImage::fromData(*thumbnail->png, "PNG");
    EXPECT_EQ(decoded.size(), QSize(720, 540));
    EXPECT_EQ(thumbnail->image.size(), QSize(720, 540));

    // Wide images are kept, not refused.
    thumbnail = ClipboardReader::makeThumbnail(encodedImage(9000, 300, "png"), 720);
    ASSERT_TRUE(thumbnail);
    EXPECT_EQ(thumbnail->width, 9000);
    EXPECT_EQ(thumbnail->image.size(), QSize(720, 24));

    // Small images are not enlarged.
    thumbnail = ClipboardReader::makeThumbnail(encodedImage(30, 20, "bmp"), 720);
    ASSERT_TRUE(thumbnail);
    EXPECT_EQ(thumbnail->image.size(), QSize(30, 20));

    // The orientation recorded in the image is applied; the size stays the stored one.
    thumbnail = ClipboardReader::makeThumbnail(jpegWithOrientation(1600, 800), 720);
    ASSERT_TRUE(thumbnail);
    EXPECT_EQ(thumbnail->width, 1600);
    EXPECT_EQ(thumbnail->height, 800);
    EXPECT_EQ(thumbnail->image.size(), QSize(360, 720));

    EXPECT_FALSE(ClipboardReader::makeThumbnail("\x89PNG\r\n\x1a\n garbage"_ba, 720));
    EXPECT_FALSE(ClipboardReader::makeThumbnail(QByteArray(), 720));
}

// Found by fuzzing: a few bytes whose header claims a large image made the decoders allocate it
// (a GIF of 60 bytes took 98 MiB). Nothing is decoded into more than one representation's worth.
TEST(ClipboardReaderStatics, ThumbnailsNeverDecodeMoreThanARepresentation)
{
    const QByteArray refused[] = {
        QByteArray::fromBase64(
            "R0lGODlhAgIAAIBrAAAAAP///yH5BAEAAAAALAAAAAABkADDAAAAAABCAECQAQAAAAAAAg"
            "ACAkQAASE7"),
        progressiveJpegClaiming(6000, 4000), // libjpeg holds its coefficients at full size
        // The same behind a segment whose length is short of its bytes: libjpeg skips the
        // extra bytes to the next marker, and finds the progressive frame header there.
        QByteArray::fromHex("FFD8FFE000104A46494600010101006400640000") + QByteArray(30, 'F') +
            progressiveJpegClaiming(6000, 4000).mid(2),
        // A sequential frame of 246 × 65304 whose first scan carries one of its three
        // components: coded in several scans, with the same full-size coefficients.
        QByteArray::fromHex("FFD8636363636363FFC000110800F6FF1803012200021163002100000000270000"
                            "5820FFDA0008010163636363636363636363DCFFD9"),
        // The same in an arithmetic-coded frame.
        QByteArray::fromHex("FFD8FFE000104A42636363636363636363635E636363FFC90011080FA017700301"
                            "22000211010311010020FFDA0008010100"),
        // 200 × 65304 in several scans, three components: within two bytes a pixel, beyond
        // two bytes a pixel for each component.
        QByteArray::fromHex("FFD8FF00010000001201006400640046464646464646D862FD0000FFC00011080"
                            "0C8FF1803012200FE11630021FF00000011015200000020FFDA00080101FFD9"),
    };
    for (const QByteArray &bytes : refused)
        EXPECT_FALSE(ClipboardReader::makeThumbnail(bytes, 720)) << bytes.toBase64().constData();
    EXPECT_EQ(QImageReader::allocationLimit(), ClipboardReader::largestRepresentation / MiB);

    // A photo that fits still gets its thumbnail, and so does a larger one coded in a single
    // scan, which libjpeg scales while it decodes it (a phone camera's 16 Mpx).
    const auto large = ClipboardReader::makeThumbnail(encodedImage(4608, 3456, "jpeg"), 720);
    ASSERT_TRUE(large);
    EXPECT_EQ(large->width, 4608);
    const auto photo = ClipboardReader::makeThumbnail(encodedImage(4000, 3000, "jpeg"), 720);
    ASSERT_TRUE(photo);
    EXPECT_EQ(photo->image.size(), QSize(720, 540));
}

TEST_F(ClipboardReaderTest, AnInterruptedReadingRecordsOnlyWhatDecidesTheEntry)
{
    // The owner stops answering before the string is read: nothing.
    FakePasteboard::Contents contents;
    contents.items = {itemOf({{QStringLiteral("image/png"), encodedImage(8, 8, "png")},
                              {QStringLiteral("UTF8_STRING"), "  "}})};
    contents.string = QStringLiteral("  ");
    contents.interruptAfterReads = 0;
    EXPECT_FALSE(read(contents));

    // It stops while the rest of the snapshot is read: the entry is recorded with the
    // representations that arrived.
    contents.interruptAfterReads = 2;
    const auto capture = read(contents);
    ASSERT_TRUE(capture);
    EXPECT_EQ(capture->kind, ClipKind::Image);
    EXPECT_EQ(capture->payload.items[0].types(), QStringList{QStringLiteral("image/png")});
}
