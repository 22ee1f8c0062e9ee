// The embedded skin pictures: sizes, the region bitmap's key pixels, strips whose cells a user tells
// apart, and backgrounds dark enough for the near-white captions the layouts draw on them.
#include "resources/resources.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <set>
#include <string>
#include <utility>

namespace {

const QRgb kKeyColor = qRgb(210, 10, 10);
const QColor kCaptionColor(244, 245, 247);
constexpr int kCornerCut[4] = {5, 3, 2, 1};

class SkinImageEnvironment : public ::testing::Environment {
public:
    void SetUp() override { InitRoamdockResources(); }
};
const auto* const g_pEnvironment = ::testing::AddGlobalTestEnvironment(new SkinImageEnvironment);

QImage LoadImage(const char* pszPath) {
    QImage img(QString::fromLatin1(pszPath));
    return img.convertToFormat(QImage::Format_ARGB32);
}

double Linear(double dChannel) {
    const double c = dChannel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double Luminance(double r, double g, double b) {
    return 0.2126 * Linear(r) + 0.7152 * Linear(g) + 0.0722 * Linear(b);
}

/// Contrast of the caption colour against the mean colour of `rc` in `img` (1 to 21).
double CaptionContrast(const QImage& img, const QRect& rc) {
    double r = 0, g = 0, b = 0;
    for (int y = rc.top(); y <= rc.bottom(); ++y) {
        for (int x = rc.left(); x <= rc.right(); ++x) {
            const QRgb rgb = img.pixel(x, y);
            r += qRed(rgb);
            g += qGreen(rgb);
            b += qBlue(rgb);
        }
    }
    const double n = double(rc.width()) * rc.height();
    const double dBack = Luminance(r / n, g / n, b / n);
    const double dText = Luminance(kCaptionColor.red(), kCaptionColor.green(), kCaptionColor.blue());
    return (dText + 0.05) / (dBack + 0.05);
}

/// Mean per-channel difference between two equally sized images, 0 to 255.
double MeanDifference(const QImage& a, const QImage& b) {
    double dSum = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            dSum +=
                std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
        }
    }
    return dSum / (3.0 * a.width() * a.height());
}

/// The dialog as the user sees it at `rcTarget`: the background with `imgPart` (its `rcSource`) drawn over
/// it.
QImage Composite(const QImage& imgPart, const QRect& rcSource, const QRect& rcTarget) {
    QImage img = LoadImage(":/PNG/146");
    QPainter painter(&img);
    painter.drawImage(rcTarget, imgPart, rcSource);
    painter.end();
    return img;
}

bool IsCorner(int x, int y, int nWidth) {
    return y < 4 && (x < kCornerCut[y] || x >= nWidth - kCornerCut[y]);
}

// ---- Every picture is embedded with its exact size.

struct SizeCase {
    const char* pszName;
    const char* pszPath;
    int nWidth;
    int nHeight;
};

const SizeCase kSizes[] = {
    {"Background", ":/PNG/146", 328, 245},
    {"RegionBitmap", ":/BMP/158", 328, 245},
    {"StatusBrush", ":/PNG/139", 224, 14},
    {"Logo", ":/PNG/144", 16, 16},
    {"HeaderBackground", ":/PNG/147", 249, 17},
    {"HeaderDivider", ":/PNG/148", 1, 12},
    {"CloseStrip", ":/PNG/141", 44, 11},
    {"ButtonStrip", ":/PNG/140", 316, 23},
    {"Icon", ":/ICON/128", 32, 32},
};

void PrintTo(const SizeCase& c, std::ostream* os) {
    *os << c.pszName;
}

class ImageSizeTest : public ::testing::TestWithParam<SizeCase> {};

TEST_P(ImageSizeTest, LoadsWithItsSize) {
    const QImage img(QString::fromLatin1(GetParam().pszPath));
    ASSERT_FALSE(img.isNull()) << GetParam().pszPath << " missing or unreadable";
    EXPECT_EQ(img.width(), GetParam().nWidth);
    EXPECT_EQ(img.height(), GetParam().nHeight);
}

INSTANTIATE_TEST_SUITE_P(Embedded, ImageSizeTest, ::testing::ValuesIn(kSizes),
                         [](const ::testing::TestParamInfo<SizeCase>& info) { return info.param.pszName; });

// ---- The region bitmap and the background it is cut for.

TEST(RegionBitmap, IsTwentyFourBitUncompressed) {
    QFile file(":/BMP/158");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_GE(bytes.size(), 54);
    EXPECT_TRUE(bytes.startsWith("BM"));
    const auto word16 = [&](int n) { return uint8_t(bytes[n]) | uint8_t(bytes[n + 1]) << 8; };
    EXPECT_EQ(word16(28), 24) << "bits per pixel";
    EXPECT_EQ(word16(30), 0) << "compression";
}

TEST(RegionBitmap, KeyColourMarksExactlyTheTwentyTwoCornerPixels) {
    const QImage img = LoadImage(":/BMP/158");
    ASSERT_FALSE(img.isNull());
    std::set<std::pair<int, int>> expected;
    for (int y = 0; y < 4; ++y) {
        for (int i = 0; i < kCornerCut[y]; ++i) {
            expected.insert({i, y});
            expected.insert({img.width() - 1 - i, y});
        }
    }
    ASSERT_EQ(expected.size(), 22u);

    std::set<std::pair<int, int>> found;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if ((img.pixel(x, y) & 0xFFFFFFu) == (kKeyColor & 0xFFFFFFu))
                found.insert({x, y});
    EXPECT_EQ(found, expected);
}

TEST(RegionBitmap, ShowsTheBackgroundPicture) {
    const QImage imgBmp = LoadImage(":/BMP/158");
    const QImage imgPng = LoadImage(":/PNG/146");
    ASSERT_EQ(imgBmp.size(), imgPng.size());
    int nMismatches = 0;
    for (int y = 0; y < imgPng.height(); ++y) {
        for (int x = 0; x < imgPng.width(); ++x) {
            const QRgb png = imgPng.pixel(x, y);
            if (IsCorner(x, y, imgPng.width())) {
                // Cut away by the region: transparent in the picture as well.
                EXPECT_EQ(qAlpha(png), 0) << x << "," << y;
                continue;
            }
            // Opaque everywhere else, so nothing under the window shows through.
            if (qAlpha(png) != 255 || (png & 0xFFFFFFu) != (imgBmp.pixel(x, y) & 0xFFFFFFu))
                ++nMismatches;
        }
    }
    EXPECT_EQ(nMismatches, 0);
}

// ---- Strips: one cell per button state, each recognisable where it is drawn.

struct StripCase {
    const char* pszName;
    const char* pszPath;
    int nCells;
    QPoint ptInDialog;
};

const StripCase kStrips[] = {
    {"Buttons", ":/PNG/140", 4, QPoint(18, 210)},
    {"Close", ":/PNG/141", 4, QPoint(300, 10)},
};

void PrintTo(const StripCase& c, std::ostream* os) {
    *os << c.pszName;
}

class StripCellTest : public ::testing::TestWithParam<StripCase> {};

TEST_P(StripCellTest, EveryStateLooksDifferent) {
    const StripCase& c = GetParam();
    const QImage imgStrip = LoadImage(c.pszPath);
    ASSERT_FALSE(imgStrip.isNull());
    ASSERT_EQ(imgStrip.width() % c.nCells, 0);
    const int nCell = imgStrip.width() / c.nCells;
    const QRect rcTarget(c.ptInDialog, QSize(nCell, imgStrip.height()));

    QImage cells[4];
    for (int i = 0; i < c.nCells; ++i)
        cells[i] =
            Composite(imgStrip, QRect(i * nCell, 0, nCell, imgStrip.height()), rcTarget).copy(rcTarget);
    const char* const kStates[] = {"normal", "hovered", "pressed", "disabled"};
    for (int i = 0; i < c.nCells; ++i)
        for (int j = i + 1; j < c.nCells; ++j)
            EXPECT_GE(MeanDifference(cells[i], cells[j]), 10.0) << kStates[i] << " vs " << kStates[j];
}

INSTANTIATE_TEST_SUITE_P(Skin, StripCellTest, ::testing::ValuesIn(kStrips),
                         [](const ::testing::TestParamInfo<StripCase>& info) { return info.param.pszName; });

// ---- Near-white captions stay readable wherever the layouts place them.

struct ContrastCase {
    const char* pszName;
    const char* pszOverlay; // picture drawn over the background there, or nullptr
    QRect rcSource;
    QRect rcTarget;
    QRect rcText;
};

// Where a button's caption lies: inside the rim, around the caption's offset of 6.
const QRect kButtonFace(21, 213, 73, 17);

const ContrastCase kContrast[] = {
    {"TitleBand", nullptr, {}, {}, QRect(30, 4, 270, 25)},
    {"ListCaption", nullptr, {}, {}, QRect(28, 34, 187, 13)},
    {"StatusLine", ":/PNG/139", QRect(0, 0, 224, 14), QRect(10, 194, 224, 14), QRect(25, 195, 265, 14)},
    {"ButtonNormal", ":/PNG/140", QRect(0, 0, 79, 23), QRect(18, 210, 79, 23), kButtonFace},
    {"ButtonHovered", ":/PNG/140", QRect(79, 0, 79, 23), QRect(18, 210, 79, 23), kButtonFace},
    {"ButtonPressed", ":/PNG/140", QRect(158, 0, 79, 23), QRect(18, 210, 79, 23), kButtonFace},
    {"ButtonDisabled", ":/PNG/140", QRect(237, 0, 79, 23), QRect(18, 210, 79, 23), kButtonFace},
    // The header stretches the left 199 x 12 of its picture over the list's top.
    {"ListHeader", ":/PNG/147", QRect(0, 0, 199, 12), QRect(11, 51, 306, 15), QRect(11, 51, 306, 15)},
};

void PrintTo(const ContrastCase& c, std::ostream* os) {
    *os << c.pszName;
}

class CaptionContrastTest : public ::testing::TestWithParam<ContrastCase> {};

TEST_P(CaptionContrastTest, MeetsTextContrast) {
    const ContrastCase& c = GetParam();
    QImage img = LoadImage(":/PNG/146");
    ASSERT_FALSE(img.isNull());
    if (c.pszOverlay) {
        const QImage imgOverlay = LoadImage(c.pszOverlay);
        ASSERT_FALSE(imgOverlay.isNull());
        img = Composite(imgOverlay, c.rcSource, c.rcTarget);
    }
    EXPECT_GE(CaptionContrast(img, c.rcText), 4.5);
}

INSTANTIATE_TEST_SUITE_P(Skin, CaptionContrastTest, ::testing::ValuesIn(kContrast),
                         [](const ::testing::TestParamInfo<ContrastCase>& info) {
                             return info.param.pszName;
                         });

TEST(DialogBackground, ListSitsOnALightPanel) {
    const QImage img = LoadImage(":/PNG/146");
    // The margins between the list's rectangle (10,50 308 x 141) and the panel around it.
    for (const QRect& rc : {QRect(8, 60, 2, 120), QRect(318, 60, 2, 120)}) {
        double dSum = 0;
        for (int y = rc.top(); y <= rc.bottom(); ++y)
            for (int x = rc.left(); x <= rc.right(); ++x)
                dSum += Luminance(qRed(img.pixel(x, y)), qGreen(img.pixel(x, y)), qBlue(img.pixel(x, y)));
        EXPECT_GE(dSum / (rc.width() * rc.height()), 0.6) << rc.x();
    }
}

} // namespace
