#include "fakes/SampleClips.h"
#include "panel/PanelViewHarness.h"
#include "support/Palettes.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QPainter>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>
#include <QTest>

#include <gtest/gtest.h>

using namespace tessaly;
using namespace tessaly::test;

// Pictures of the panel for people to look at, written under the build folder
// (build/screenshots/panel/…): a mixed history with a selected and a hovered card, a search
// without results, an empty filter and the accessibility banner, each in a light and a dark
// desktop palette. The checks only make sure that each picture shows a drawn panel.

namespace {

const Instant now = Instant::fromDateTime(QDateTime(QDate(2026, 3, 14), QTime(15, 9, 26), Qt::UTC));

QIcon themeIcon(const QString &name)
{
    return QIcon::fromTheme(name);
}

struct Scene
{
    QList<ClipItem> items;
    int selected = -1;
    int hovered = -1;
    QString query;
    QString filter = QStringLiteral("all");
    bool trusted = true;
};

class PanelScreenshotTest : public ::testing::TestWithParam<const char *>
{
protected:
    static void SetUpTestSuite()
    {
        QIcon::setThemeSearchPaths({QStringLiteral("/usr/share/icons")});
        QIcon::setThemeName(QStringLiteral("Adwaita"));
    }

    void TearDown() override { QApplication::setPalette(lightPalette()); }

    bool dark() const { return QByteArray(GetParam()) == "dark"; }

    void shoot(const QString &name, const Scene &scene)
    {
        QApplication::setPalette(dark() ? darkPalette() : lightPalette());
        PanelViewHarness harness;
        harness.model.setNow(now.toDateTime());
        harness.images.appIcons = {
            {"org.gnome.TextEditor", themeIcon("accessories-text-editor")},
            {"org.mozilla.firefox", themeIcon("web-browser")},
            {"org.gnome.Nautilus", themeIcon("system-file-manager")},
            {"org.gnome.Terminal", themeIcon("utilities-terminal")},
            {"org.gimp.GIMP", themeIcon("applications-graphics")},
        };
        harness.images.genericFileIcon = themeIcon("text-x-generic");
        for (const ClipItem &item : scene.items) {
            if (item.kind == ClipKind::Image && item.imageWidth && *item.imageWidth > 300)
                harness.images.thumbnails.insert(
                    item.id,
                    sampleThumbnail(int(*item.imageWidth / 4), int(*item.imageHeight / 4)));
            for (const QString &path : item.filePaths.value_or(QStringList())) {
                if (path.endsWith(".pdf"))
                    harness.images.fileIcons.insert(path, themeIcon("x-office-document"));
                else if (path.endsWith(".png") || path.endsWith(".jpg"))
                    harness.images.fileIcons.insert(path, themeIcon("image-x-generic"));
                else if (!path.contains('.'))
                    harness.images.fileIcons.insert(path, themeIcon("folder"));
            }
        }
        harness.model.setEntries(scene.items);
        harness.model.open();
        harness.model.setFilterName(scene.filter);
        harness.model.setQuery(scene.query);
        harness.model.setAccessibilityTrusted(scene.trusted);
        harness.model.setSelectedID(QString());
        ASSERT_TRUE(harness.load(Qt::FramelessWindowHint));
        ASSERT_TRUE(harness.show());
        QQuickView &view = harness.view();
        QTest::mouseMove(&view, QPoint(399, 559));
        // Selecting once the view is up scrolls the selected card into view.
        if (scene.selected >= 0) {
            harness.model.setSelectedID(uuidText(scene.items.at(scene.selected).id));
            QObject *scroll = view.rootObject()->findChild<QObject *>("scrollAnimation");
            ASSERT_TRUE(scroll);
            ASSERT_TRUE(QTest::qWaitFor([&] { return !scroll->property("running").toBool(); }));
        }
        if (scene.hovered >= 0) {
            QQuickItem *card = harness.card(scene.hovered);
            ASSERT_TRUE(card);
            QTest::mouseMove(&view, card->mapToScene(QPointF(card->width() * 0.6, 12)).toPoint());
        }
        harness.settle();

        // The desktop behind the panel, so that its corners and outline show.
        const QImage panel = view.grabWindow();
        ASSERT_EQ(panel.size(), QSize(400, 560) * view.devicePixelRatio());
        QImage picture(panel.size() + QSize(32, 32), QImage::Format_ARGB32_Premultiplied);
        picture.fill(dark() ? QColor(0x15, 0x17, 0x1c) : QColor(0xc9, 0xd3, 0xde));
        // The panel window's rounded shape, as the window cuts it.
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        QBrush brush(panel);
        brush.setTransform(QTransform::fromTranslate(16, 16));
        painter.setBrush(brush);
        const qreal ratio = view.devicePixelRatio();
        painter.drawRoundedRect(QRectF(16, 16, panel.width(), panel.height()), 14 * ratio,
                                14 * ratio);
        painter.end();

        const QString directory = QStringLiteral(TESSALY_SCREENSHOT_DIR "/panel");
        QDir().mkpath(directory);
        const QString path = QStringLiteral("%1/%2-%3.png").arg(directory, name, GetParam());
        ASSERT_TRUE(picture.save(path)) << path.toStdString();

        // Something was drawn: the panel is not one flat colour.
        const QColor corner = panel.pixelColor(200, 280);
        bool varied = false;
        for (int y = 0; y < panel.height() && !varied; y += 7) {
            for (int x = 0; x < panel.width() && !varied; x += 7)
                varied = panel.pixelColor(x, y) != corner;
        }
        EXPECT_TRUE(varied) << path.toStdString();
    }
};

QList<ClipItem> mixedHistory()
{
    ClipItem pinned = sampleText("Reunião de planejamento: quinta-feira às 14h, sala 3 do "
                                 "segundo andar. Levar o relatório trimestral.",
                                 now, 3 * 86400, "org.gnome.TextEditor", "Editor de Texto");
    pinned.pinned = true;
    return {
        pinned,
        sampleLink(
            "https://www.example.com.br/noticias/2026/03/tecnologia-e-inovacao?utm_source=news",
            now, 4, "org.mozilla.firefox", "Firefox"),
        sampleColor("#3584E4", now, 2 * 60),
        sampleImage(1920, 1080, now, 12 * 60, "org.gimp.GIMP", "GIMP"),
        sampleText("git commit -m \"Corrige a ordenação\" && git push origin main", now, 25 * 60,
                   "org.gnome.Terminal", "Terminal"),
        sampleFiles({"/home/ana/Documentos/Relatório trimestral.pdf",
                     "/home/ana/Documentos/Anexo A.png", "/home/ana/Documentos/Planilhas"},
                    now, 2 * 3600, "org.gnome.Nautilus", "Arquivos"),
        sampleText(QString("Lorem ipsum dolor sit amet, consectetur adipiscing elit. ").repeated(4),
                   now, 5 * 3600, "org.gnome.TextEditor", "Editor de Texto"),
        sampleColor("#f5a623cc", now, 26 * 3600),
        sampleLink("mailto:contato@example.com", now, 2 * 86400),
        sampleImage(64, 64, now, 3 * 86400),
        sampleText("Obrigado!", now, 4 * 86400),
        sampleFiles({"/home/ana/Imagens/praia.jpg"}, now, 6 * 86400, "org.gnome.Nautilus",
                    "Arquivos"),
    };
}

} // namespace

TEST_P(PanelScreenshotTest, MixedHistory)
{
    Scene scene;
    scene.items = mixedHistory();
    scene.selected = 1;
    scene.hovered = 2;
    shoot(QStringLiteral("history"), scene);
}

TEST_P(PanelScreenshotTest, MixedHistoryScrolled)
{
    Scene scene;
    scene.items = mixedHistory();
    scene.selected = 7;
    scene.hovered = 6;
    shoot(QStringLiteral("history-scrolled"), scene);
}

TEST_P(PanelScreenshotTest, SearchWithoutResults)
{
    Scene scene;
    scene.items = mixedHistory();
    scene.query = QStringLiteral("orçamento 2027");
    shoot(QStringLiteral("search-no-result"), scene);
}

TEST_P(PanelScreenshotTest, EmptyImagesFilter)
{
    Scene scene;
    for (const ClipItem &item : mixedHistory()) {
        if (item.kind != ClipKind::Image)
            scene.items.append(item);
    }
    scene.filter = QStringLiteral("image");
    shoot(QStringLiteral("images-empty"), scene);
}

TEST_P(PanelScreenshotTest, AccessibilityBanner)
{
    Scene scene;
    scene.items = mixedHistory();
    scene.trusted = false;
    scene.selected = 0;
    shoot(QStringLiteral("banner"), scene);
}

INSTANTIATE_TEST_SUITE_P(Palettes, PanelScreenshotTest, ::testing::Values("light", "dark"),
                         [](const auto &info) { return std::string(info.param); });
