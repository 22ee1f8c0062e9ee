// The control base: the off-screen paint, the caption band and the resize bookkeeping.
#include "control_test_util.h"
#include "controls/base_ctrl.h"

#include <QPainter>
#include <gtest/gtest.h>

namespace {

/// Records the picture it is handed and the size deltas it is told.
class RecordingCtrl : public CBasicCtrl {
public:
    using CBasicCtrl::CBasicCtrl;
    void DrawContent(QImage& offscreen) override {
        m_drawnSize = offscreen.size();
        if (m_bFill) {
            QPainter(&offscreen).fillRect(offscreen.rect(), QColor(1, 2, 3));
        }
    }
    void OnSizeDelta(int dx, int dy) override { m_deltas.push_back(QPoint(dx, dy)); }

    bool m_bFill = true;
    QSize m_drawnSize;
    QVector<QPoint> m_deltas;
};

TEST(OffscreenPaint, DrawContentGetsAClientSizedPictureThatReachesTheScreen) {
    RecordingCtrl ctrl;
    ctrl.resize(37, 19);
    const QImage image = Render(&ctrl);
    EXPECT_EQ(ctrl.m_drawnSize, QSize(37, 19));
    EXPECT_TRUE(SameRgb(image.pixel(0, 0), QColor(1, 2, 3)));
    EXPECT_TRUE(SameRgb(image.pixel(36, 18), QColor(1, 2, 3)));
    EXPECT_TRUE(ctrl.testAttribute(Qt::WA_OpaquePaintEvent));
    EXPECT_FALSE(ctrl.autoFillBackground());
}

TEST(OffscreenPaint, PixelsLeftUndrawnAreBlack) {
    RecordingCtrl ctrl;
    ctrl.m_bFill = false;
    ctrl.resize(10, 10);
    const QImage image = Render(&ctrl);
    EXPECT_TRUE(SameRgb(image.pixel(5, 5), Qt::black));
}

struct BandCase {
    const char* pszName;
    int nCtrlTop;
    QPoint ptClick;
    bool bWithParent;
    bool bInBand;
};

const BandCase kBandCases[] = {
    {"ParentY27Moves", 20, QPoint(3, 7), true, true},
    {"ParentY28DoesNot", 20, QPoint(3, 8), true, false},
    {"ControlAt28NeverMoves", 28, QPoint(0, 0), true, false},
    {"TopOfDialog", 0, QPoint(50, 0), true, true},
    {"NoParentNoBand", 0, QPoint(0, 0), false, false},
};

class CaptionBandTest : public ::testing::TestWithParam<BandCase> {};

TEST_P(CaptionBandTest, ClickInTheParentsTop28PixelsMovesTheParent) {
    const BandCase& c = GetParam();
    QWidget parent;
    parent.resize(200, 100);
    RecordingCtrl ctrl(c.bWithParent ? &parent : nullptr);
    ctrl.setGeometry(10, c.nCtrlTop, 100, 40);
    EXPECT_EQ(IsInParentCaptionBand(&ctrl, c.ptClick), c.bInBand);
}

INSTANTIATE_TEST_SUITE_P(Points, CaptionBandTest, ::testing::ValuesIn(kBandCases),
                         [](const auto& info) { return std::string(info.param.pszName); });

TEST(ClientResize, DeltasAreReportedOnlyWhileSizeTrackingIsOn) {
    RecordingCtrl ctrl;
    ctrl.resize(50, 20);
    ctrl.show();
    EXPECT_TRUE(ctrl.m_deltas.isEmpty());
    EXPECT_EQ(ctrl.m_rcLastClient, QRect(0, 0, 50, 20));

    ctrl.m_bSizeTracking = 1;
    ctrl.resize(60, 15);
    ctrl.resize(60, 25);
    EXPECT_EQ(ctrl.m_deltas, (QVector<QPoint>{QPoint(10, -5), QPoint(0, 10)}));
    EXPECT_EQ(ctrl.m_rcLastClient, QRect(0, 0, 60, 25));
}

} // namespace
