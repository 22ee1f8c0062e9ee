// Text and image controls: wrapped text from the right origin, image cells at natural size, and
// the measured extent of a text.
#include "control_test_util.h"
#include "controls/text_ctrls.h"

#include <QFontMetricsF>
#include <QPainter>
#include <gtest/gtest.h>

#include <memory>

namespace {

const QColor kFill(255, 255, 255);
const QString kLongText = QStringLiteral("Searching new devices please wait a little longer");

QFont TestFont() {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(12);
    return font;
}

void SetUpCaption(CBasicCtrl& ctrl, const QString& strText, int nOffsetX, int nOffsetY) {
    ctrl.m_nPaintMode = PaintFill;
    ctrl.SetFillColor(0x00FFFFFF);
    ctrl.SetCaption(strText, nOffsetX, nOffsetY);
    ctrl.SetCaptionFont(QStringLiteral("DejaVu Sans"), 12);
    ctrl.SetCaptionColor(0x00000000);
}

/// What the control should show: the text drawn independently from `origin`, wrapped at `nWrapWidth`.
QImage ExpectedText(QSize size, const QString& strText, QPoint origin, int nWrapWidth) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(kFill);
    QPainter painter(&image);
    painter.setFont(TestFont());
    painter.setPen(Qt::black);
    painter.drawText(QRectF(origin, QSizeF(nWrapWidth, 1000)), Qt::TextWordWrap, strText);
    painter.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

enum class TextKind { Text, TextImage };

struct WrapCase {
    const char* pszName;
    TextKind kind;
    int nOffsetX;
    int nOffsetY;
    QPoint ptOrigin;
};

const WrapCase kWrapCases[] = {
    {"Text_ListCaptionOffset", TextKind::Text, 13, 2, QPoint(13, 2)},
    {"Text_MinusOneMeansOne", TextKind::Text, -1, -1, QPoint(1, 1)},
    {"Text_ZeroIsTheCorner", TextKind::Text, 0, 0, QPoint(0, 0)},
    {"Text_MinusOneOnlyOnY", TextKind::Text, 7, -1, QPoint(7, 1)},
    {"TextImage_StatusLineOffset", TextKind::TextImage, 15, 1, QPoint(15, 1)},
    {"TextImage_MinusOneMeansOne", TextKind::TextImage, -1, -1, QPoint(1, 1)},
};

class TextWrapTest : public ::testing::TestWithParam<WrapCase> {};

TEST_P(TextWrapTest, WrapsAtClientWidthLessTwiceTheOriginNeverCentred) {
    const WrapCase& c = GetParam();
    std::unique_ptr<CBasicCtrl> pCtrl;
    if (c.kind == TextKind::Text) {
        pCtrl = std::make_unique<CShowTextCtrl>();
    } else {
        pCtrl = std::make_unique<CShowTextImageCtrl>();
    }
    SetUpCaption(*pCtrl, kLongText, c.nOffsetX, c.nOffsetY);
    pCtrl->resize(160, 60);

    const QImage image = Render(pCtrl.get());
    const QRect rcInk = InkBounds(image, kFill, image.rect());
    ASSERT_FALSE(rcInk.isEmpty());
    EXPECT_GT(rcInk.height(), QFontMetricsF(TestFont()).height()) << "the text wraps onto more lines";
    EXPECT_LE(rcInk.right(), 160 - c.ptOrigin.x());
    EXPECT_EQ(image, ExpectedText(QSize(160, 60), kLongText, c.ptOrigin, 160 - 2 * c.ptOrigin.x()));
}

INSTANTIATE_TEST_SUITE_P(Offsets, TextWrapTest, ::testing::ValuesIn(kWrapCases),
                         [](const auto& info) { return std::string(info.param.pszName); });

TEST(TextCtrl, LinesBelowTheClientAreaAreCutOff) {
    CShowTextCtrl ctrl;
    SetUpCaption(ctrl, kLongText, 0, 0);
    ctrl.resize(60, 20);
    const QImage image = Render(&ctrl);
    EXPECT_EQ(image.size(), QSize(60, 20));
    EXPECT_EQ(image, ExpectedText(QSize(60, 20), kLongText, QPoint(0, 0), 60));
}

TEST(TextCtrl, WithoutCaptionOrFontOnlyTheFrameLayersShow) {
    CShowTextCtrl noText;
    noText.m_nPaintMode = PaintFill;
    noText.SetFillColor(0x00FFFFFF);
    noText.resize(80, 20);
    QImage image = Render(&noText);
    EXPECT_TRUE(InkBounds(image, kFill, image.rect()).isEmpty());

    CShowTextCtrl noFont;
    SetUpCaption(noFont, QStringLiteral("Device List"), 0, 0);
    noFont.SetCaptionFont(QStringLiteral("DejaVu Sans"), 0);
    noFont.resize(80, 20);
    image = Render(&noFont);
    EXPECT_TRUE(InkBounds(image, kFill, image.rect()).isEmpty());
}

TEST(TextCtrl, LayoutTextIsNeverMarkup) {
    CShowTextCtrl ctrl;
    SetUpCaption(ctrl, QStringLiteral("<b>x</b>"), 0, 0);
    ctrl.resize(120, 20);
    EXPECT_EQ(Render(&ctrl), ExpectedText(QSize(120, 20), QStringLiteral("<b>x</b>"), QPoint(0, 0), 120));
}

class ImageCellTest : public ::testing::Test {
protected:
    /// A three-cell strip of 6 x 5 cells: red, green, blue.
    QString WriteStrip() {
        const QString strPath = m_root.Path(QStringLiteral("/cells.png"));
        EXPECT_TRUE(SaveImage(MakeStrip({Qt::red, Qt::green, Qt::blue}, 6, 5), strPath));
        return strPath;
    }
    ScopedDataRoot m_root;
};

TEST_F(ImageCellTest, ImageCtrlShowsTheFirstCellAtNaturalSize) {
    CShowImageCtrl ctrl;
    ctrl.m_nPaintMode = PaintFill;
    ctrl.SetFillColor(0x00FFFFFF);
    ctrl.LoadImageStrip(WriteStrip(), 3, 0, 0);
    ctrl.resize(20, 10);
    const QImage image = Render(&ctrl);
    EXPECT_TRUE(SameRgb(image.pixel(0, 0), Qt::red));
    EXPECT_TRUE(SameRgb(image.pixel(5, 4), Qt::red));
    EXPECT_TRUE(SameRgb(image.pixel(6, 0), kFill)) << "no second cell, no stretching";
    EXPECT_TRUE(SameRgb(image.pixel(0, 5), kFill));
}

TEST_F(ImageCellTest, TextImageCtrlDrawsTheCellUnderTheText) {
    CShowTextImageCtrl ctrl;
    SetUpCaption(ctrl, QStringLiteral("Searching"), 15, 1);
    ctrl.LoadImageStrip(WriteStrip(), 3, 0, 0);
    ctrl.resize(100, 15);
    const QImage image = Render(&ctrl);
    EXPECT_TRUE(SameRgb(image.pixel(2, 2), Qt::red));
    const QRect rcInk = InkBounds(image, kFill, QRect(6, 0, 94, 15));
    EXPECT_FALSE(rcInk.isEmpty());
    EXPECT_GE(rcInk.left(), 15);
}

TEST_F(ImageCellTest, CellCountIsMeasuredAgainWhenTheStripArrivesLate) {
    CShowImageCtrl ctrl;
    ctrl.m_nPaintMode = PaintFill;
    ctrl.SetFillColor(0x00FFFFFF);
    ctrl.m_image.emplace(MakeStrip({Qt::blue, Qt::red}, 4, 4));
    ctrl.m_nCellCount = 2;
    ctrl.resize(10, 10);
    const QImage image = Render(&ctrl);
    EXPECT_EQ(ctrl.m_nCellWidth, 4);
    EXPECT_TRUE(SameRgb(image.pixel(3, 3), Qt::blue));
    EXPECT_TRUE(SameRgb(image.pixel(4, 0), kFill));
}

struct ExtentCase {
    const char* pszName;
    QString strText;
    int nOffsetX;
    int nOffsetY;
};

const ExtentCase kExtentCases[] = {
    {"ShortAtCorner", QStringLiteral("Host"), 0, 0},
    {"ShortWithOffsets", QStringLiteral("Host"), 5, 3},
    {"LongWraps", kLongText + QStringLiteral(" ") + kLongText, 0, 0},
    {"LongWrapsNarrower", kLongText + QStringLiteral(" ") + kLongText, 20, 2},
};

class MeasureTextExtentTest : public ::testing::TestWithParam<ExtentCase> {};

TEST_P(MeasureTextExtentTest, OffsetsPlusTheTextWrappedAt250LessTwiceX) {
    const ExtentCase& c = GetParam();
    CShowTextCtrl ctrl;
    SetUpCaption(ctrl, c.strText, c.nOffsetX, c.nOffsetY);
    const QSizeF measured = QFontMetricsF(TestFont())
                                .boundingRect(QRectF(c.nOffsetX, c.nOffsetY, 250 - 2 * c.nOffsetX, 0),
                                              Qt::TextWordWrap, c.strText)
                                .size();
    const QSize extent = ctrl.MeasureTextExtent();
    EXPECT_EQ(extent.width(), static_cast<int>(2 * c.nOffsetX + measured.width() + 1.0));
    EXPECT_EQ(extent.height(), static_cast<int>(c.nOffsetY + measured.height()));
    // Whatever the text, the width never passes the 250-pixel layout plus the one-pixel allowance.
    EXPECT_LE(extent.width(), 251);
}

INSTANTIATE_TEST_SUITE_P(Texts, MeasureTextExtentTest, ::testing::ValuesIn(kExtentCases),
                         [](const auto& info) { return std::string(info.param.pszName); });

TEST(MeasureTextExtent, LongTextTakesSeveralLines) {
    CShowTextCtrl ctrl;
    SetUpCaption(ctrl, kLongText + QStringLiteral(" ") + kLongText, 0, 0);
    EXPECT_GE(ctrl.MeasureTextExtent().height(),
              3 * static_cast<int>(QFontMetricsF(TestFont()).lineSpacing()));
}

} // namespace
