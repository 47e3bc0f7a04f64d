#include "panel/cards/CardImageProvider.h"
#include "fakes/FakeCardBackends.h"
#include "fakes/SampleClips.h"

#include <QPixmap>

#include <gtest/gtest.h>

using namespace tessaly;
using namespace tessaly::test;

namespace {

// What the view hands to the provider: the URL after "image://tessaly/".
QString idOf(const QUrl &url)
{
    return url.toString(QUrl::RemoveScheme | QUrl::RemoveAuthority).mid(1);
}

// Records the keys it is asked for.
class RecordingImageSource : public FakeCardImageSource
{
public:
    QIcon appIcon(const QString &bundleID) override
    {
        asked.append(bundleID);
        return FakeCardImageSource::appIcon(bundleID);
    }
    QIcon fileIcon(const QString &path) override
    {
        asked.append(path);
        return FakeCardImageSource::fileIcon(path);
    }
    QStringList asked;
};

QIcon square(const QColor &color)
{
    QPixmap pixmap(64, 64);
    pixmap.fill(color);
    return QIcon(pixmap);
}

} // namespace

TEST(CardImageProvider, KeysWithAnyCharacterReachTheSourceIntact)
{
    RecordingImageSource source;
    source.genericFileIcon = square(Qt::red);
    source.appIcons.insert("org.example.App", square(Qt::blue));
    CardImageProvider provider(&source);

    const QString path = "/home/ana/a?b#c/relatório 100%.pdf";
    QSize size;
    const QImage file =
        provider.requestImage(idOf(CardImageProvider::fileIconUrl(path)), &size, QSize(30, 30));
    EXPECT_EQ(file.size(), QSize(30, 30));
    EXPECT_EQ(size, QSize(30, 30));
    const QImage app = provider.requestImage(idOf(CardImageProvider::appIconUrl("org.example.App")),
                                             nullptr, QSize(14, 14));
    EXPECT_EQ(app.pixelColor(7, 7), QColor(Qt::blue));
    EXPECT_EQ(source.asked, (QStringList{path, "org.example.App"}));

    // An application without an icon gives no picture; a malformed id neither.
    EXPECT_TRUE(
        provider.requestImage(idOf(CardImageProvider::appIconUrl("none")), nullptr, {}).isNull());
    EXPECT_TRUE(provider.requestImage("nonsense", nullptr, {}).isNull());
    EXPECT_TRUE(provider.requestImage("thumb/%%%/1x1", nullptr, {}).isNull());
}

TEST(CardImageProvider, ThumbnailsAreScaledToTheAskedSizeWithRoundedCorners)
{
    FakeCardImageSource source;
    const ClipItem image = sampleImage(2000, 500, Instant(0));
    QImage opaque(400, 100, QImage::Format_ARGB32_Premultiplied);
    opaque.fill(Qt::darkGreen);
    source.thumbnails.insert(image.id, opaque);
    CardImageProvider provider(&source);

    // Drawn at twice the display size on a 2× screen.
    const QString id = idOf(CardImageProvider::thumbnailUrl(image.id, QSizeF(356, 89)));
    const QImage drawn = provider.requestImage(id, nullptr, QSize(712, 178));
    ASSERT_EQ(drawn.size(), QSize(712, 178));
    EXPECT_EQ(drawn.pixelColor(356, 89), QColor(Qt::darkGreen));
    // The corner is cut away, the edge's middle is not.
    EXPECT_EQ(drawn.pixelColor(0, 0).alpha(), 0);
    EXPECT_EQ(drawn.pixelColor(711, 177).alpha(), 0);
    EXPECT_EQ(drawn.pixelColor(356, 0).alpha(), 255);

    // Without a thumbnail there is nothing to draw.
    const ClipItem other = sampleImage(10, 10, Instant(0));
    EXPECT_TRUE(provider
                    .requestImage(idOf(CardImageProvider::thumbnailUrl(other.id, QSizeF(24, 24))),
                                  nullptr, QSize(24, 24))
                    .isNull());
}

TEST(CardImageProvider, SymbolsAreTintedForMenus)
{
    CardImageProvider provider(nullptr);
    const QImage trash =
        provider.requestImage(idOf(CardImageProvider::symbolUrl("trash", QColor(0xd9, 0x2d, 0x20))),
                              nullptr, QSize(32, 32));
    ASSERT_FALSE(trash.isNull());
    bool tinted = false;
    for (int y = 0; y < trash.height(); ++y) {
        for (int x = 0; x < trash.width(); ++x) {
            const QColor pixel = trash.pixelColor(x, y);
            if (pixel.alpha() == 255) {
                tinted = true;
                EXPECT_EQ(pixel.rgb(), QColor(0xd9, 0x2d, 0x20).rgb());
            }
        }
    }
    EXPECT_TRUE(tinted);
    EXPECT_TRUE(provider
                    .requestImage(idOf(CardImageProvider::symbolUrl("nope", Qt::red)), nullptr,
                                  QSize(16, 16))
                    .isNull());
}
