// CBasicPropertyFrame: the paint layers on offscreen pixels, image strips, colours, fonts, tool tips
// and anchored moves.
#include "skin/property_frame.h"
#include "skin_test_util.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <QTextDocument>
#include <QWidget>

#include <string>

namespace {

constexpr QRgb kSentinel = 0xFF010203;
constexpr QRgb kImageColor = 0xFFFF00FF;
constexpr int kParentBlue = 77;
const QPoint kChildPos(20, 10);
const QSize kChildSize(40, 30);

/// Paints a gradient, so every pixel tells where it came from: (x, y, blue).
class CPatternParent : public QWidget {
public:
    int m_nBlue = kParentBlue;
    int m_nPaints = 0;

protected:
    void paintEvent(QPaintEvent*) override {
        ++m_nPaints;
        QPainter painter(this);
        painter.drawImage(0, 0, Pattern(size(), m_nBlue));
    }

public:
    static QImage Pattern(const QSize& size, int nBlue) {
        QImage image(size, QImage::Format_ARGB32);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                image.setPixel(x, y, qRgb(x, y, nBlue));
        return image;
    }
};

class CTestCtrl : public QWidget, public CBasicPropertyFrame {
public:
    explicit CTestCtrl(QWidget* pParent) : QWidget(pParent) {}
};

class PropertyFrameTest : public testing::Test {
protected:
    PropertyFrameTest() {
        m_parent.resize(100, 60);
        m_pChild = new CTestCtrl(&m_parent);
        m_pChild->setGeometry(QRect(kChildPos, kChildSize));
    }

    /// The child's off-screen picture after DrawProperties, on a sentinel background.
    QImage Draw() {
        QImage image(kChildSize, QImage::Format_ARGB32);
        image.fill(kSentinel);
        QPainter painter(&image);
        m_pChild->DrawProperties(&m_parent, m_pChild, painter);
        painter.end();
        return image;
    }

    QString WriteImage(const QString& strName, const QSize& size, QRgb color) {
        QImage image(size, QImage::Format_ARGB32);
        image.fill(color);
        const QString strPath = m_root.Path() + "/" + strName;
        EXPECT_TRUE(image.save(strPath, "PNG"));
        return strPath;
    }

    static QRgb ParentPixel(int x, int y, int nBlue = kParentBlue) {
        return qRgb(x + kChildPos.x(), y + kChildPos.y(), nBlue);
    }

    ScopedDataRoot m_root;
    CPatternParent m_parent;
    CTestCtrl* m_pChild = nullptr;
};

// Which layer ends up on top at each probe point, per paint mode.
enum Layer { Sentinel, Parent, Fill, Border, Image };

struct LayerCase {
    const char* pszName;
    int nPaintMode;
    Layer corner;      ///< (0, 0): border and image
    Layer topEdge;     ///< (20, 0): border, outside the image
    Layer interior;    ///< (20, 15)
    Layer inImage;     ///< (5, 4): inside the 10 x 8 image, off the border
    Layer pastImage;   ///< (10, 8): first pixel beyond the unscaled image
    Layer bottomRight; ///< (39, 29): last pixel of the border
};

std::string LayerName(const testing::TestParamInfo<LayerCase>& info) {
    return info.param.pszName;
}

class PropertyLayerTest : public PropertyFrameTest, public testing::WithParamInterface<LayerCase> {};

TEST_P(PropertyLayerTest, DrawsSelectedLayersInOrder) {
    const LayerCase& row = GetParam();
    m_pChild->m_nPaintMode = row.nPaintMode;
    m_pChild->SetFillColor(0x00305070);   // RGB(112, 80, 48)
    m_pChild->SetBorderColor(0x000000C0); // RGB(192, 0, 0)
    m_pChild->LoadImageStrip(WriteImage("image.png", QSize(10, 8), kImageColor), 1, 0, 0);
    const QImage image = Draw();

    const auto expected = [&](Layer layer, int x, int y) -> QRgb {
        switch (layer) {
        case Parent:
            return ParentPixel(x, y);
        case Fill:
            return qRgb(112, 80, 48);
        case Border:
            return qRgb(192, 0, 0);
        case Image:
            return kImageColor;
        case Sentinel:
            break;
        }
        return kSentinel;
    };
    const struct {
        const char* pszProbe;
        Layer layer;
        QPoint point;
    } probes[] = {
        {"corner", row.corner, {0, 0}},        {"topEdge", row.topEdge, {20, 0}},
        {"interior", row.interior, {20, 15}},  {"inImage", row.inImage, {5, 4}},
        {"pastImage", row.pastImage, {10, 8}}, {"bottomRight", row.bottomRight, {39, 29}},
    };
    for (const auto& probe : probes) {
        EXPECT_EQ(image.pixel(probe.point), expected(probe.layer, probe.point.x(), probe.point.y()))
            << probe.pszProbe;
    }
}

const LayerCase kLayerCases[] = {
    {"Mode0DrawsNothing", 0, Sentinel, Sentinel, Sentinel, Sentinel, Sentinel, Sentinel},
    {"Mode1BorderOnly", PaintBorder, Border, Border, Sentinel, Sentinel, Sentinel, Border},
    {"Mode2FillOnly", PaintFill, Fill, Fill, Fill, Fill, Fill, Fill},
    {"Mode3BorderOverFill", PaintFill | PaintBorder, Border, Border, Fill, Fill, Fill, Border},
    {"Mode4ParentPixels", PaintParentBackground, Parent, Parent, Parent, Parent, Parent, Parent},
    {"Mode8ImageUnscaled", PaintImage, Image, Sentinel, Sentinel, Image, Sentinel, Sentinel},
    {"Mode12ImageOverParent", PaintParentBackground | PaintImage, Image, Parent, Parent, Image, Parent,
     Parent},
    {"Mode15AllLayers", 15, Image, Border, Fill, Image, Fill, Border},
};

INSTANTIATE_TEST_SUITE_P(Table, PropertyLayerTest, testing::ValuesIn(kLayerCases), LayerName);

TEST_F(PropertyFrameTest, FirstPaintCapturesTheParentAloneAndKeepsIt) {
    // A sibling over the same spot must not show up: only the parent's own paint is captured.
    auto* pCover = new QWidget(&m_parent);
    pCover->setGeometry(QRect(kChildPos, kChildSize));
    pCover->setAutoFillBackground(true);
    QPalette palette = pCover->palette();
    palette.setColor(QPalette::Window, Qt::green);
    pCover->setPalette(palette);

    m_pChild->m_nPaintMode = PaintParentBackground;
    QImage image = Draw();
    EXPECT_EQ(image.pixel(0, 0), ParentPixel(0, 0));
    EXPECT_EQ(image.pixel(39, 29), ParentPixel(39, 29));
    EXPECT_EQ(m_pChild->m_bgCapture.size(), kChildSize);
    const int nPaints = m_parent.m_nPaints;
    EXPECT_GE(nPaints, 1);

    // Later paints reuse the capture instead of asking the parent again.
    m_parent.m_nBlue = 200;
    image = Draw();
    EXPECT_EQ(image.pixel(5, 5), ParentPixel(5, 5));
    EXPECT_EQ(m_parent.m_nPaints, nPaints);

    // A fresh capture from the parent's new paint replaces the old pixels.
    m_pChild->CaptureBackground(CPatternParent::Pattern(m_parent.size(), 200), m_pChild, &m_parent);
    image = Draw();
    EXPECT_EQ(image.pixel(5, 5), ParentPixel(5, 5, 200));
}

/// Paints itself the way the skinned controls do, so the capture runs inside a real paint.
class CPaintingCtrl : public QWidget, public CBasicPropertyFrame {
public:
    explicit CPaintingCtrl(QWidget* pParent) : QWidget(pParent) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QImage offscreen(size(), QImage::Format_ARGB32_Premultiplied);
        offscreen.fill(kSentinel);
        QPainter graphics(&offscreen);
        DrawProperties(parentWidget(), this, graphics);
        graphics.end();
        QPainter(this).drawImage(0, 0, offscreen);
    }
};

TEST_F(PropertyFrameTest, ShownControlPaintsTheParentUnderIt) {
    auto* pCtrl = new CPaintingCtrl(&m_parent);
    pCtrl->setGeometry(QRect(QPoint(50, 20), QSize(30, 20)));
    pCtrl->m_nPaintMode = PaintParentBackground | PaintBorder;
    pCtrl->SetBorderColor(0x000000C0);
    m_parent.show();
    const QImage shot = m_parent.grab().toImage();
    EXPECT_EQ(shot.pixel(51, 21), qRgb(51, 21, kParentBlue));
    EXPECT_EQ(shot.pixel(79, 39), qRgb(192, 0, 0));
    EXPECT_EQ(shot.pixel(50, 20), qRgb(192, 0, 0));
    EXPECT_EQ(pCtrl->m_bgCapture.size(), QSize(30, 20));
}

TEST_F(PropertyFrameTest, ParentLayerNeedsBothWindows) {
    m_pChild->m_nPaintMode = PaintParentBackground | PaintFill;
    m_pChild->SetFillColor(0x00305070);
    QImage image(kChildSize, QImage::Format_ARGB32);
    image.fill(kSentinel);
    QPainter painter(&image);
    m_pChild->DrawProperties(nullptr, m_pChild, painter);
    painter.end();
    EXPECT_TRUE(m_pChild->m_bgCapture.isNull());
    EXPECT_EQ(image.pixel(3, 3), qRgb(112, 80, 48));
}

TEST_F(PropertyFrameTest, CaptureBackgroundCopiesThePixelsUnderTheWindow) {
    m_pChild->CaptureBackground(CPatternParent::Pattern(m_parent.size(), 9), m_pChild, &m_parent);
    ASSERT_EQ(m_pChild->m_bgCapture.size(), kChildSize);
    EXPECT_EQ(m_pChild->m_bgCapture.pixel(0, 0), qRgb(20, 10, 9));
    EXPECT_EQ(m_pChild->m_bgCapture.pixel(39, 29), qRgb(59, 39, 9));
}

TEST_F(PropertyFrameTest, CaptureBackgroundWithoutWindowsDoesNothing) {
    const QImage paint = CPatternParent::Pattern(m_parent.size(), 9);
    m_pChild->CaptureBackground(paint, nullptr, &m_parent);
    m_pChild->CaptureBackground(paint, m_pChild, nullptr);
    EXPECT_TRUE(m_pChild->m_bgCapture.isNull());
}

TEST_F(PropertyFrameTest, MissingImageLeavesAnImageWithoutPixels) {
    m_pChild->LoadImageStrip(WriteImage("ok.png", QSize(80, 10), kImageColor), 4, 0, 0);
    m_pChild->LoadImageStrip(m_root.Path() + "/missing.png", 4, 3, 5);
    ASSERT_TRUE(m_pChild->m_image.has_value());
    EXPECT_TRUE(m_pChild->m_image->isNull());
    EXPECT_EQ(m_pChild->m_nImageWidth, 0);
    EXPECT_EQ(m_pChild->m_nImageHeight, 0);
    EXPECT_EQ(m_pChild->m_nCellWidth, 0);
    EXPECT_EQ(m_pChild->m_nImageX, 3);
    EXPECT_EQ(m_pChild->m_nImageY, 5);
    m_pChild->m_nPaintMode = PaintImage;
    EXPECT_EQ(Draw().pixel(0, 0), kSentinel);
}

TEST_F(PropertyFrameTest, FolderPathLoadsNoImage) {
    // An empty CtrlBGPath resolves to the data root itself.
    m_pChild->LoadImageStrip(m_root.Path(), 1, 0, 0);
    ASSERT_TRUE(m_pChild->m_image.has_value());
    EXPECT_TRUE(m_pChild->m_image->isNull());
}

TEST_F(PropertyFrameTest, CellCountWithoutImageChangesNothing) {
    m_pChild->SetImageCellCount(4);
    EXPECT_FALSE(m_pChild->m_image.has_value());
    EXPECT_EQ(m_pChild->m_nCellCount, 1);
    EXPECT_EQ(m_pChild->m_nCellWidth, 0);
}

struct CellCase {
    const char* pszName;
    int nCount;
    int nExpectedCount;
    int nExpectedCellWidth;
};

std::string CellName(const testing::TestParamInfo<CellCase>& info) {
    return info.param.pszName;
}

class ImageCellTest : public PropertyFrameTest, public testing::WithParamInterface<CellCase> {};

TEST_P(ImageCellTest, CellWidthIsIntegerShare) {
    m_pChild->LoadImageStrip(WriteImage("strip.png", QSize(80, 23), kImageColor), GetParam().nCount, 0, 0);
    EXPECT_EQ(m_pChild->m_nImageWidth, 80);
    EXPECT_EQ(m_pChild->m_nImageHeight, 23);
    EXPECT_EQ(m_pChild->m_nCellCount, GetParam().nExpectedCount);
    EXPECT_EQ(m_pChild->m_nCellWidth, GetParam().nExpectedCellWidth);
}

const CellCase kCellCases[] = {
    {"FourCells", 4, 4, 20}, {"ThreeCellsRoundDown", 3, 3, 26},
    {"ZeroIsOne", 0, 1, 80}, {"NegativeIsOne", -2, 1, 80},
    {"OneCell", 1, 1, 80},   {"MoreCellsThanPixels", 200, 200, 0},
};

INSTANTIATE_TEST_SUITE_P(Table, ImageCellTest, testing::ValuesIn(kCellCases), CellName);

struct ColorSetterCase {
    const char* pszName;
    void (CBasicPropertyFrame::*pfnSet)(COLORREF);
    QRgb CBasicPropertyFrame::*pField;
};

std::string ColorSetterName(const testing::TestParamInfo<ColorSetterCase>& info) {
    return info.param.pszName;
}

class ColorSetterTest : public testing::TestWithParam<ColorSetterCase> {};

TEST_P(ColorSetterTest, StoresOpaqueArgb) {
    CBasicPropertyFrame frame;
    (frame.*GetParam().pfnSet)(0x00B99D7E);
    EXPECT_EQ(frame.*GetParam().pField, 0xFF7E9DB9u);
    (frame.*GetParam().pfnSet)(0x00000000);
    EXPECT_EQ(frame.*GetParam().pField, 0xFF000000u);
}

const ColorSetterCase kColorSetterCases[] = {
    {"Fill", &CBasicPropertyFrame::SetFillColor, &CBasicPropertyFrame::m_clrFill},
    {"Border", &CBasicPropertyFrame::SetBorderColor, &CBasicPropertyFrame::m_clrBorder},
    {"Caption", &CBasicPropertyFrame::SetCaptionColor, &CBasicPropertyFrame::m_clrCaption},
};

INSTANTIATE_TEST_SUITE_P(Table, ColorSetterTest, testing::ValuesIn(kColorSetterCases), ColorSetterName);

/// True when `strText` drawn in `font` leaves dark pixels on white.
bool DrawsGlyphs(const QFont& font, const QString& strText, QRgb color) {
    QImage image(200, 60, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(QColor::fromRgba(color));
    painter.drawText(QRect(0, 0, 200, 60), Qt::AlignLeft | Qt::AlignTop, strText);
    painter.end();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128)
                return true;
    return false;
}

TEST(PropertyFrameDefaultsTest, StartsWithTheDocumentedLook) {
    CBasicPropertyFrame frame;
    EXPECT_EQ(frame.m_nPaintMode, 0);
    EXPECT_EQ(frame.m_clrBorder, 0xFFFFFFFFu);
    EXPECT_EQ(frame.m_clrFill, 0xFFFFFFFFu);
    EXPECT_EQ(frame.m_clrCaption, 0xFF000000u);
    EXPECT_FALSE(frame.m_image.has_value());
    EXPECT_EQ(frame.m_nCellCount, 1);
    EXPECT_EQ(frame.m_nCellWidth, 0);
    EXPECT_FALSE(frame.m_strCaption.has_value());
    EXPECT_TRUE(frame.m_bgCapture.isNull());
    EXPECT_EQ(frame.m_bSizeTracking, 0);
}

TEST(PropertyFrameDefaultsTest, DefaultCaptionFontDrawsChineseGlyphs) {
    CBasicPropertyFrame frame;
    ASSERT_TRUE(frame.m_captionFont.has_value());
    const QFont& font = *frame.m_captionFont;
    EXPECT_EQ(font.family(), QStringLiteral("宋体"));
    EXPECT_EQ(font.pixelSize(), 12);
    EXPECT_EQ(font.weight(), QFont::Normal);
    EXPECT_FALSE(font.italic());
    // Whatever face stands in for it must carry real CJK glyphs.
    EXPECT_TRUE(QFontMetrics(font).inFont(QChar(0x5B8B)));
    EXPECT_TRUE(DrawsGlyphs(font, QStringLiteral("设备列表"), frame.m_clrCaption));
}

TEST(PropertyFrameFontTest, MissingFaceFallsBackToAnInstalledOne) {
    CBasicPropertyFrame frame;
    frame.SetCaptionFont(QStringLiteral("No Such Face Anywhere"), 21);
    ASSERT_TRUE(frame.m_captionFont.has_value());
    EXPECT_EQ(frame.m_captionFont->pixelSize(), 21);
    EXPECT_EQ(QFontInfo(*frame.m_captionFont).pixelSize(), 21);
    EXPECT_TRUE(DrawsGlyphs(*frame.m_captionFont, QStringLiteral("Log In"), 0xFF000000));
}

TEST(PropertyFrameFontTest, SizeBelowOneLeavesNoFont) {
    CBasicPropertyFrame frame;
    frame.SetCaptionFont(QStringLiteral("Tahoma"), 0);
    EXPECT_FALSE(frame.m_captionFont.has_value());
    frame.SetCaptionFont(QStringLiteral("Tahoma"), 13);
    ASSERT_TRUE(frame.m_captionFont.has_value());
    EXPECT_EQ(frame.m_captionFont->pixelSize(), 13);
}

TEST(PropertyFrameCaptionTest, KeepsTextAndOffset) {
    CBasicPropertyFrame frame;
    frame.SetCaption(QString(), 15, 1);
    ASSERT_TRUE(frame.m_strCaption.has_value());
    EXPECT_TRUE(frame.m_strCaption->isEmpty());
    frame.SetCaption(QStringLiteral("Refresh"), 0, 6);
    EXPECT_EQ(*frame.m_strCaption, QStringLiteral("Refresh"));
    EXPECT_EQ(frame.m_nCaptionX, 0);
    EXPECT_EQ(frame.m_nCaptionY, 6);
}

TEST(PropertyFrameToolTipTest, ShowsLayoutTextLiterally) {
    QWidget window;
    CBasicPropertyFrame frame;
    const QString strText = QStringLiteral("<b>Close</b> & \"quit\"  <img src=x>");
    frame.CreateToolTip(&window, strText);
    EXPECT_EQ(frame.m_strToolTip, strText);
    QTextDocument document;
    document.setHtml(window.toolTip());
    EXPECT_EQ(document.toPlainText(), strText);
}

TEST(PropertyFrameToolTipTest, EmptyTextShowsNoTip) {
    QWidget window;
    window.setToolTip(QStringLiteral("old"));
    CBasicPropertyFrame frame;
    frame.CreateToolTip(&window, QString());
    EXPECT_TRUE(window.toolTip().isEmpty());
    frame.CreateToolTip(nullptr, QStringLiteral("ignored"));
    EXPECT_TRUE(frame.m_strToolTip.isEmpty());
}

struct AnchorCase {
    const char* pszName;
    int nHorz;
    int nVert;
    QRect expected;
};

std::string AnchorName(const testing::TestParamInfo<AnchorCase>& info) {
    return info.param.pszName;
}

class MoveAnchoredTest : public testing::TestWithParam<AnchorCase> {};

TEST_P(MoveAnchoredTest, MovesOrStretchesByMode) {
    QWidget parent;
    parent.resize(200, 200);
    CTestCtrl child(&parent);
    child.setGeometry(10, 20, 30, 40);
    child.MoveAnchored(&child, 10, 5, GetParam().nHorz, GetParam().nVert);
    EXPECT_EQ(child.geometry(), GetParam().expected);
}

const AnchorCase kAnchorCases[] = {
    {"KeepKeep", 1, 1, {10, 20, 30, 40}},          {"KeepMove", 1, 2, {10, 25, 30, 40}},
    {"KeepStretch", 1, 3, {10, 20, 30, 45}},       {"MoveKeep", 2, 1, {20, 20, 30, 40}},
    {"MoveMove", 2, 2, {20, 25, 30, 40}},          {"MoveStretch", 2, 3, {20, 20, 30, 45}},
    {"StretchKeepWidens", 3, 1, {10, 20, 40, 40}}, {"StretchMove", 3, 2, {10, 25, 40, 40}},
    {"StretchStretch", 3, 3, {10, 20, 40, 45}},    {"UnknownHorz", 0, 2, {10, 20, 30, 40}},
    {"UnknownVert", 2, 4, {10, 20, 30, 40}},
};

INSTANTIATE_TEST_SUITE_P(Table, MoveAnchoredTest, testing::ValuesIn(kAnchorCases), AnchorName);

} // namespace
