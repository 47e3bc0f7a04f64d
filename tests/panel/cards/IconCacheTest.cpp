#include "panel/cards/IconCache.h"
#include "fakes/FakeApplicationDirectory.h"
#include "history/HistoryStore.h"
#include "history/ThumbnailCache.h"

#include <QDir>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QTemporaryDir>

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace tessaly;
using tessaly::test::FakeApplicationDirectory;

namespace {

// A small icon theme of the test's own, so that the icon names found are known.
void installTheme(const QString &root, const QStringList &mimeIcons)
{
    const QString theme = root + QStringLiteral("/TessalyTest");
    QDir().mkpath(theme + QStringLiteral("/16x16/mimetypes"));
    QFile index(theme + QStringLiteral("/index.theme"));
    ASSERT_TRUE(index.open(QIODevice::WriteOnly));
    index.write("[Icon Theme]\nName=TessalyTest\nDirectories=16x16/mimetypes\n\n"
                "[16x16/mimetypes]\nSize=16\nContext=MimeTypes\nType=Fixed\n");
    index.close();
    QImage pixel(16, 16, QImage::Format_ARGB32);
    pixel.fill(Qt::red);
    for (const QString &name : mimeIcons)
        ASSERT_TRUE(pixel.save(theme + QStringLiteral("/16x16/mimetypes/") + name + ".png"));
    QIcon::setThemeSearchPaths({root});
    QIcon::setThemeName(QStringLiteral("TessalyTest"));
}

class IconCacheTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(directory.isValid()); }

    QTemporaryDir directory;
    FakeApplicationDirectory applications;
    ThumbnailCache thumbnails;
    IconCache cache{applications, thumbnails};
};

QIcon someIcon()
{
    QImage image(8, 8, QImage::Format_ARGB32);
    image.fill(Qt::blue);
    return QIcon(QPixmap::fromImage(image));
}

} // namespace

TEST_F(IconCacheTest, ApplicationIconsAreKeptOnlyWhenFound)
{
    EXPECT_TRUE(cache.appIcon(std::nullopt).isNull());
    EXPECT_TRUE(cache.appIcon(QStringLiteral("org.example.Missing")).isNull());
    EXPECT_TRUE(cache.appIcon(QStringLiteral("org.example.Missing")).isNull());
    EXPECT_EQ(applications.lookups, 2); // a failure is looked up again

    applications.installed.insert(QStringLiteral("org.example.Editor"),
                                  {QStringLiteral("Editor"), someIcon()});
    const QIcon first = cache.appIcon(QStringLiteral("org.example.Editor"));
    ASSERT_FALSE(first.isNull());
    const int lookups = applications.lookups;
    EXPECT_EQ(cache.appIcon(QStringLiteral("org.example.Editor")).cacheKey(), first.cacheKey());
    EXPECT_EQ(applications.lookups, lookups);
}

TEST_F(IconCacheTest, ApplicationNamesPreferTheInstalledOneAndStaySettled)
{
    applications.installed.insert(QStringLiteral("com.bitwarden.desktop"),
                                  {QStringLiteral("Bitwarden Cofre"), QIcon()});
    applications.installed.insert(QStringLiteral("org.example.Old"),
                                  {QStringLiteral("Antigo.app"), QIcon()});
    EXPECT_EQ(cache.appName(QStringLiteral("com.bitwarden.desktop")),
              QStringLiteral("Bitwarden Cofre"));
    EXPECT_EQ(cache.appName(QStringLiteral("com.lastpass.LastPass")), QStringLiteral("LastPass"));
    EXPECT_EQ(cache.appName(QStringLiteral("org.example.Nowhere")),
              QStringLiteral("org.example.Nowhere"));
    EXPECT_EQ(cache.appName(QStringLiteral("org.example.Old")), QStringLiteral("Antigo"));

    // Installed later: the name settled on stays, without asking again.
    applications.installed.insert(QStringLiteral("org.example.Nowhere"),
                                  {QStringLiteral("Agora Existe"), QIcon()});
    const int lookups = applications.lookups;
    EXPECT_EQ(cache.appName(QStringLiteral("org.example.Nowhere")),
              QStringLiteral("org.example.Nowhere"));
    EXPECT_EQ(applications.lookups, lookups);
}

TEST_F(IconCacheTest, FileIconsComeFromTheContentOrTheExtension)
{
    installTheme(directory.filePath(QStringLiteral("icons")),
                 {QStringLiteral("application-pdf"), QStringLiteral("text-x-generic"),
                  QStringLiteral("inode-directory"), QStringLiteral("application-x-generic")});

    // Missing files: by extension.
    EXPECT_EQ(cache.fileIcon(QStringLiteral("/nowhere/relatório.pdf")).name(),
              QStringLiteral("application-pdf"));
    EXPECT_EQ(cache.fileIcon(QStringLiteral("/nowhere/arquivo.zzqqx")).name(),
              QStringLiteral("application-x-generic"));
    EXPECT_FALSE(cache.fileIcon(QStringLiteral("/nowhere/LEIAME")).isNull());

    // Existing ones: by name, and by content when the name tells nothing.
    const QString notes = directory.filePath(QStringLiteral("notas"));
    QFile file(notes);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("apenas texto\n");
    file.close();
    EXPECT_EQ(cache.fileIcon(notes).name(), QStringLiteral("text-x-generic"));
    EXPECT_EQ(cache.fileIcon(directory.path()).name(), QStringLiteral("inode-directory"));

    // Kept: the same icon again, even after the file is gone.
    QFile::remove(notes);
    EXPECT_EQ(cache.fileIcon(notes).name(), QStringLiteral("text-x-generic"));
}

TEST_F(IconCacheTest, ThumbnailsAreReadFromTheStoreAndRetriedWhileMissing)
{
    HistoryStore store(directory.filePath(QStringLiteral("history")));
    ClipItem item;
    item.id = QUuid::createUuid();
    item.kind = ClipKind::Image;

    EXPECT_FALSE(cache.thumbnail(item, store));
    EXPECT_EQ(thumbnails.count(), 0);

    QImage image(30, 20, QImage::Format_ARGB32);
    image.fill(Qt::green);
    ASSERT_TRUE(image.save(store.thumbnailPath(item.id), "PNG"));
    const auto loaded = cache.thumbnail(item, store);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->size(), QSize(30, 20));
    EXPECT_EQ(thumbnails.count(), 1);

    QFile::remove(store.thumbnailPath(item.id));
    EXPECT_TRUE(cache.thumbnail(item, store)); // from memory now

    // A file that is not an image is no thumbnail.
    ClipItem broken = item;
    broken.id = QUuid::createUuid();
    QFile garbage(store.thumbnailPath(broken.id));
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write("not a png");
    garbage.close();
    EXPECT_FALSE(cache.thumbnail(broken, store));
}
