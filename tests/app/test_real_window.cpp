// The real window on an X display: the headless demo (Xvfb inside a private network with simulated
// devices, the window run as an unprivileged user) is run, and its screenshot is compared with what
// the layout says: the cut top corners, the background picture, the list's border and rows, the
// hidden status line, the title text, and the devices listed.

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <unistd.h>

namespace {

/// Where the demo places the window on the virtual screen.
constexpr int kLeft = 16;
constexpr int kTop = 16;
constexpr int kWidth = 328;
constexpr int kHeight = 245;
constexpr QRgb kListBorder = 0xFF7E9DB9; // "126,157,185"

struct WindowCase {
    const char* pszName;
    const char* pszLocale;
};

class RealWindowTest : public ::testing::TestWithParam<WindowCase> {
protected:
    void SetUp() override {
        if (geteuid() != 0)
            GTEST_SKIP() << "the demo builds a private network: needs root";
        if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty())
            GTEST_SKIP() << "Xvfb is not installed";
        ASSERT_TRUE(m_work.isValid());
        QProcess demo;
        demo.setProcessChannelMode(QProcess::MergedChannels);
        demo.start(QStringLiteral(ROAMDOCK_SOURCE_DIR "/scripts/demo-network.sh"),
                   {QStringLiteral("--build"), QStringLiteral(ROAMDOCK_BUILD_DIR), QStringLiteral("--shot"),
                    ShotPath(), QStringLiteral("--locale"), QString::fromLatin1(GetParam().pszLocale)});
        ASSERT_TRUE(demo.waitForFinished(120000)) << "the demo did not end";
        m_strOutput = QString::fromLocal8Bit(demo.readAll());
        ASSERT_EQ(demo.exitCode(), 0) << m_strOutput.toStdString();
        ASSERT_TRUE(m_shot.load(ShotPath())) << m_strOutput.toStdString();
        m_shot = m_shot.convertToFormat(QImage::Format_RGB32);
        ASSERT_TRUE(m_skin.load(
            QStringLiteral(ROAMDOCK_SOURCE_DIR "/resources/images/SearchDevice_BlackGround.png")));
        m_skin = m_skin.convertToFormat(QImage::Format_RGB32);
    }

    QString ShotPath() const { return m_work.filePath(QStringLiteral("shot.png")); }
    /// A pixel of the window, in window coordinates.
    QRgb At(int x, int y) const { return m_shot.pixel(kLeft + x, kTop + y); }
    QRgb Screen() const { return m_shot.pixel(2, 2); }

    QTemporaryDir m_work;
    QString m_strOutput;
    QImage m_shot;
    QImage m_skin;
};

TEST_P(RealWindowTest, ListsTheAcceptedDevicesInTheWindowThatTheLayoutDescribes) {
    EXPECT_TRUE(m_strOutput.contains(QStringLiteral("window \"Vantro Roamdock\" at %1,%2, %3x%4")
                                         .arg(kLeft)
                                         .arg(kTop)
                                         .arg(kWidth)
                                         .arg(kHeight)))
        << m_strOutput.toStdString();
    EXPECT_TRUE(m_strOutput.contains(QStringLiteral("3 device(s) listed"))) << m_strOutput.toStdString();
    for (const char* pszListed :
         {"Office-Roamdock      10.0.0.21        RD-300", "Travel-Box           10.0.0.22        OB-5",
          "nexla-pocket         10.0.0.23        NX-1"})
        EXPECT_TRUE(m_strOutput.contains(QString::fromLatin1(pszListed))) << pszListed;
    EXPECT_FALSE(m_strOutput.contains(QStringLiteral("10.0.0.24"))) << "its vendor is not accepted";

    // The top corners are cut along the key pixels of the region bitmap (5, 3, 2, 1 per row).
    const int kCut[] = {5, 3, 2, 1};
    for (int y = 0; y < 4; ++y) {
        SCOPED_TRACE(y);
        EXPECT_EQ(At(kCut[y] - 1, y), Screen()) << "left corner, last cut pixel";
        EXPECT_NE(At(kCut[y], y), Screen()) << "left corner, first window pixel";
        EXPECT_EQ(At(kWidth - kCut[y], y), Screen()) << "right corner";
        EXPECT_NE(At(kWidth - kCut[y] - 1, y), Screen()) << "right corner";
    }
    EXPECT_NE(At(0, 4), Screen()) << "below the corners the window is whole";
    EXPECT_NE(At(0, kHeight - 1), Screen());
    EXPECT_NE(At(kWidth - 1, kHeight - 1), Screen());
    EXPECT_EQ(m_shot.pixel(kLeft + kWidth, kTop + 100), Screen()) << "the window is 328 pixels wide";

    // The background picture where no control covers it, also where the status line was hidden.
    for (const QPoint& pt :
         {QPoint(3, 100), QPoint(320, 120), QPoint(5, 240), QPoint(150, 201), QPoint(40, 200)})
        EXPECT_EQ(At(pt.x(), pt.y()), m_skin.pixel(pt)) << pt.x() << "," << pt.y();

    // The device list at (10, 50), 308 x 141: a one-pixel border, white below its rows.
    EXPECT_EQ(At(10, 120), kListBorder);
    EXPECT_EQ(At(317, 120), kListBorder);
    EXPECT_EQ(At(150, 190), kListBorder);
    EXPECT_EQ(At(150, 180), qRgb(255, 255, 255));

    // The title is drawn in its light text colour inside (30, 4, 270 x 25).
    int nLight = 0;
    for (int y = 4; y < 29; ++y) {
        for (int x = 30; x < 300; ++x)
            nLight += qRed(At(x, y)) > 200 && qGreen(At(x, y)) > 200 && qBlue(At(x, y)) > 200;
    }
    EXPECT_GT(nLight, 100);
}

const WindowCase kWindowCases[] = {
    {"English", "en_US.UTF-8"},
    {"SimplifiedChinese", "zh_CN.UTF-8"},
};

INSTANTIATE_TEST_SUITE_P(Languages, RealWindowTest, ::testing::ValuesIn(kWindowCases),
                         [](const ::testing::TestParamInfo<WindowCase>& info) { return info.param.pszName; });

} // namespace
