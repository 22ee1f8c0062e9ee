// CBasicLayoutFrame: the loading steps, ownership of controls and fonts, and lookups by id.
#include "skin/layout_frame.h"
#include "skin/property_frame.h"
#include "skin_test_util.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QWidget>

#include <string>
#include <vector>

namespace {

const QString kLayoutRel = QStringLiteral("/KIRUNSearchTools/WndLayoutInfo.xml");

struct ControlSpec {
    int nCtrlID;
    const char* pszClass;
};

// The shipped dialog's nine controls and their classes.
const ControlSpec kControls[] = {
    {2101, "ShowImageCtrl"},     {2102, "ShowTextCtrl"},     {2103, "StandardButton"},
    {2104, "ShowTextImageCtrl"}, {2105, "StandardListCtrl"}, {2106, "ShowTextImageCtrl"},
    {2107, "StandardButton"},    {2108, "StandardButton"},   {2109, "StandardButton"},
};

QByteArray NineControlLayout() {
    QString strControls;
    for (const ControlSpec& row : kControls)
        strControls += "\t\t\t" +
                       CtrlInfoElement(row.nCtrlID, QString::fromLatin1(row.pszClass),
                                       QStringLiteral("text %1").arg(row.nCtrlID)) +
                       "\n";
    return LayoutDocument(
        "\t<DialogInfo DialogID=\"201\" DialogText=\"Vantro Roamdock\" DialogDiscrip=\"Search Device "
        "Windows\">\n"
        "\t\t<Standard DialogBGPath=\"\\KIRUNSearchTools\\Picture\\SearchDevice_BlackGround.png\" "
        "DialogBGColor=\"255,255,255\" DlgPaintMode=\"8\" DlgTextOffSet=\"0,0\" DlgTextColor=\"244,245,247\" "
        "DialogFont=\"Tahoma\" DialogFontSize=\"12\" DialogPos=\"0,0,328,245\">\n" +
        strControls +
        "\t\t</Standard>\n"
        "\t\t<StringInfo StringID=\"SEARCH_DEVICE_LIST_ITEM_NAME\" StringValue=\"Host Name\"/>\n"
        "\t\t<StringInfo StringID=\"SEARCH_DEVICE_LIST_ITEM_IP\" StringValue=\"IP Address\"/>\n"
        "\t</DialogInfo>");
}

/// A skinned control stand-in that reports its deletion.
class CTestCtrl : public QWidget, public CBasicPropertyFrame {
public:
    CTestCtrl(QWidget* pParent, std::vector<int>* pDeleted) : QWidget(pParent), m_pDeleted(pDeleted) {}
    ~CTestCtrl() override {
        if (m_pDeleted)
            m_pDeleted->push_back(GetDlgCtrlID(this));
    }

private:
    std::vector<int>* m_pDeleted;
};

/// Logs the virtual steps and, like a dialog's control factory, builds one stand-in per record.
class CTestLayoutFrame : public CBasicLayoutFrame {
public:
    /// `pDeleted` outlives the frame: the base destructor deletes the controls after this part is gone.
    CTestLayoutFrame(QWidget* pDialog, std::vector<int>* pDeleted)
        : m_pDialog(pDialog), m_pDeleted(pDeleted) {}

    void LoadLayoutFile(const QString& strPath, int nDialogID, const QString& strMode) override {
        m_steps.push_back("LoadLayoutFile " + strPath.toStdString());
        CBasicLayoutFrame::LoadLayoutFile(strPath, nDialogID, strMode);
    }
    void ReadLayout(const QString& strPath, int nDialogID, const QString& strMode) override {
        m_steps.push_back("ReadLayout " + strPath.toStdString());
        CBasicLayoutFrame::ReadLayout(strPath, nDialogID, strMode);
    }
    void ApplyLayout() override {
        m_steps.push_back("ApplyLayout");
        CBasicLayoutFrame::ApplyLayout();
    }
    void ApplyDialogProperties() override { m_steps.push_back("ApplyDialogProperties"); }
    void ApplyControlRecords() override {
        m_steps.push_back("ApplyControlRecords");
        CBasicLayoutFrame::ApplyControlRecords();
        for (const auto& [nCtrlID, record] : m_record.controlMap) {
            auto* pControl = new CTestCtrl(m_pDialog, m_pDeleted);
            SetDlgCtrlID(pControl, nCtrlID);
            pControl->setGeometry(record.CtrlPos.left, record.CtrlPos.top,
                                  record.CtrlPos.right - record.CtrlPos.left,
                                  record.CtrlPos.bottom - record.CtrlPos.top);
            CreateLayoutFont(record.CtrlFont, record.CtrlFontSize);
            if (record.CtrlClass.endsWith(QLatin1String("Button")))
                ButtonMap[nCtrlID] = pControl;
            else if (record.CtrlClass.endsWith(QLatin1String("ListCtrl")))
                ListMap[nCtrlID] = pControl;
            else
                StaticMap[nCtrlID] = pControl;
        }
    }

    QWidget* m_pDialog;
    std::vector<int>* m_pDeleted;
    std::vector<std::string> m_steps;
};

class LayoutFrameTest : public testing::Test {
protected:
    LayoutFrameTest() : m_frame(&m_dialog, &m_deleted) {
        m_dialog.resize(328, 245);
        EXPECT_TRUE(m_root.Write(kLayoutRel, NineControlLayout()));
    }

    void Load() { m_frame.LoadLayout(kLayoutRel, 201, QStringLiteral("Standard")); }

    int ChildControls() const { return m_dialog.findChildren<CTestCtrl*>().size(); }

    ScopedDataRoot m_root;
    QWidget m_dialog;
    std::vector<int> m_deleted;
    CTestLayoutFrame m_frame;
};

TEST_F(LayoutFrameTest, StartsEmpty) {
    CBasicLayoutFrame frame;
    EXPECT_EQ(frame.m_record.DialogID, 0);
    EXPECT_TRUE(frame.m_record.controlMap.empty());
    EXPECT_TRUE(frame.FontList.empty());
    EXPECT_TRUE(frame.ButtonMap.empty() && frame.StaticMap.empty() && frame.ListMap.empty());
    EXPECT_EQ(frame.AreControlsReady(), 1);
}

TEST_F(LayoutFrameTest, LoadLayoutRunsTheStepsInOrder) {
    m_frame.LoadLayout(QStringLiteral("\\KIRUNSearchTools\\WndLayoutInfo.xml"), 201,
                       QStringLiteral("Standard"));
    const std::string strPath = (m_root.Path() + kLayoutRel).toStdString();
    const std::vector<std::string> expected = {"LoadLayoutFile " + strPath, "ReadLayout " + strPath,
                                               "ApplyLayout", "ApplyDialogProperties", "ApplyControlRecords"};
    EXPECT_EQ(m_frame.m_steps, expected);
    EXPECT_EQ(m_frame.m_record.DialogID, 201);
    EXPECT_EQ(m_frame.m_record.controlMap.size(), 9u);
}

TEST_F(LayoutFrameTest, WithoutDataRootTheStepsStillRunOnAnEmptyRecord) {
    m_frame.m_record.DialogID = 5;
    qunsetenv("XDG_DATA_HOME");
    const QByteArray savedHome = qgetenv("HOME");
    qunsetenv("HOME");
    Load();
    qputenv("HOME", savedHome);
    const std::vector<std::string> expected = {"LoadLayoutFile ", "ReadLayout ", "ApplyLayout",
                                               "ApplyDialogProperties", "ApplyControlRecords"};
    EXPECT_EQ(m_frame.m_steps, expected);
    EXPECT_EQ(m_frame.m_record.DialogID, 0);
    EXPECT_EQ(ChildControls(), 0);
}

TEST_F(LayoutFrameTest, LayoutWithoutTheDialogBuildsNoControls) {
    Load();
    ASSERT_EQ(ChildControls(), 9);
    m_frame.LoadLayout(kLayoutRel, 202, QStringLiteral("Standard"));
    EXPECT_TRUE(m_frame.m_record.controlMap.empty());
    EXPECT_EQ(ChildControls(), 0);
    EXPECT_TRUE(m_frame.FontList.empty());
}

TEST_F(LayoutFrameTest, LoadingTwiceLeavesOneSetOfControlsAndFonts) {
    Load();
    std::vector<QPointer<QWidget>> firstSet;
    for (const auto* pMap : {&m_frame.ButtonMap, &m_frame.StaticMap, &m_frame.ListMap})
        for (const auto& entry : *pMap)
            firstSet.push_back(entry.second);
    ASSERT_EQ(firstSet.size(), 9u);
    const QFont* pFirstFont = m_frame.FontList.front().get();

    Load();
    for (const QPointer<QWidget>& pOld : firstSet)
        EXPECT_TRUE(pOld.isNull());
    EXPECT_EQ(ChildControls(), 9);
    EXPECT_EQ(m_frame.ButtonMap.size() + m_frame.StaticMap.size() + m_frame.ListMap.size(), 9u);
    EXPECT_EQ(m_frame.FontList.size(), 9u);
    for (const auto& pFont : m_frame.FontList)
        EXPECT_NE(pFont.get(), pFirstFont);
}

TEST_F(LayoutFrameTest, BaseApplyControlRecordsReleasesEverything) {
    Load();
    m_frame.CBasicLayoutFrame::ApplyControlRecords();
    EXPECT_EQ(ChildControls(), 0);
    EXPECT_TRUE(m_frame.FontList.empty());
    EXPECT_TRUE(m_frame.ButtonMap.empty() && m_frame.StaticMap.empty() && m_frame.ListMap.empty());
}

TEST_F(LayoutFrameTest, ReleaseControlsDeletesButtonsThenStaticsThenListsAscending) {
    Load();
    m_deleted.clear();
    m_frame.ReleaseControls();
    const std::vector<int> expected = {2103, 2107, 2108, 2109, 2101, 2102, 2104, 2106, 2105};
    EXPECT_EQ(m_deleted, expected);
    EXPECT_TRUE(m_frame.ButtonMap.empty() && m_frame.StaticMap.empty() && m_frame.ListMap.empty());
}

TEST_F(LayoutFrameTest, ReleaseControlsSkipsControlsAlreadyGone) {
    Load();
    delete m_frame.FindButtonCtrl(2107);
    // The same control listed twice is deleted once.
    m_frame.ListMap[1] = m_frame.FindStaticCtrl(2102);
    m_deleted.clear();
    m_frame.ReleaseControls();
    EXPECT_EQ(m_deleted.size(), 8u);
    EXPECT_EQ(ChildControls(), 0);
}

TEST_F(LayoutFrameTest, DestroyingTheFrameDeletesItsControls) {
    QPointer<QWidget> pButton;
    {
        CTestLayoutFrame frame(&m_dialog, &m_deleted);
        frame.LoadLayout(kLayoutRel, 201, QStringLiteral("Standard"));
        pButton = frame.FindButtonCtrl(2103);
        ASSERT_FALSE(pButton.isNull());
    }
    EXPECT_TRUE(pButton.isNull());
    EXPECT_EQ(ChildControls(), 0);
}

TEST_F(LayoutFrameTest, FindersLookOnlyInTheirOwnMap) {
    Load();
    EXPECT_EQ(m_frame.FindButtonCtrl(2105), nullptr);
    ASSERT_NE(m_frame.FindListCtrl(2105), nullptr);
    EXPECT_EQ(GetDlgCtrlID(m_frame.FindListCtrl(2105)), 2105);
    ASSERT_NE(m_frame.FindButtonCtrl(2107), nullptr);
    EXPECT_EQ(GetDlgCtrlID(m_frame.FindButtonCtrl(2107)), 2107);
    ASSERT_NE(m_frame.FindStaticCtrl(2106), nullptr);
    EXPECT_EQ(m_frame.FindStaticCtrl(2103), nullptr);
    EXPECT_EQ(m_frame.FindListCtrl(2110), nullptr);
}

TEST_F(LayoutFrameTest, GetLayoutStringIsExact) {
    Load();
    EXPECT_EQ(m_frame.GetLayoutString(QStringLiteral("SEARCH_DEVICE_LIST_ITEM_IP")),
              QStringLiteral("IP Address"));
    EXPECT_EQ(m_frame.GetLayoutString(QStringLiteral("search_device_list_item_ip")), QString());
    EXPECT_EQ(m_frame.GetLayoutString(QStringLiteral("SEARCH_DEVICE_WATI_TIME_WARNING")), QString());
}

TEST_F(LayoutFrameTest, GetControlRecordCopiesOrLeavesAlone) {
    Load();
    ControlRecord record;
    EXPECT_EQ(m_frame.GetControlRecord(2105, record), 0);
    EXPECT_EQ(record.CtrlID, 2105);
    EXPECT_EQ(record.CtrlClass, QStringLiteral("StandardListCtrl"));
    EXPECT_EQ(record.CtrlText, QStringLiteral("text 2105"));

    ControlRecord untouched;
    untouched.CtrlText = QStringLiteral("mine");
    EXPECT_EQ(m_frame.GetControlRecord(2110, untouched), 1);
    EXPECT_EQ(untouched.CtrlText, QStringLiteral("mine"));
    EXPECT_EQ(untouched.CtrlID, 0);
}

TEST_F(LayoutFrameTest, CaptureControlBackgroundsSkipsLists) {
    Load();
    // Something that is not a skinned control may sit in a map; it is passed over.
    auto* pPlain = new QWidget(&m_dialog);
    m_frame.StaticMap[1] = pPlain;
    QImage paint(m_dialog.size(), QImage::Format_ARGB32);
    for (int y = 0; y < paint.height(); ++y)
        for (int x = 0; x < paint.width(); ++x)
            paint.setPixel(x, y, qRgb(x & 0xFF, y & 0xFF, 33));

    m_frame.CaptureControlBackgrounds(&m_dialog, paint);
    for (const auto* pMap : {&m_frame.ButtonMap, &m_frame.StaticMap}) {
        for (const auto& [nCtrlID, pControl] : *pMap) {
            auto* pFrame = dynamic_cast<CBasicPropertyFrame*>(pControl.data());
            if (!pFrame)
                continue;
            ASSERT_EQ(pFrame->m_bgCapture.size(), pControl->size()) << nCtrlID;
            EXPECT_EQ(pFrame->m_bgCapture.pixel(0, 0), paint.pixel(pControl->pos())) << nCtrlID;
        }
    }
    auto* pList = dynamic_cast<CBasicPropertyFrame*>(m_frame.FindListCtrl(2105));
    ASSERT_NE(pList, nullptr);
    EXPECT_TRUE(pList->m_bgCapture.isNull());
}

struct FontCase {
    const char* pszName;
    const char16_t* pszFace;
    int nSize;
    const char16_t* pszExpectedFamily;
    int nExpectedPixelSize; ///< -1: the default size, given in points
};

std::string FontName(const testing::TestParamInfo<FontCase>& info) {
    return info.param.pszName;
}

class CreateLayoutFontTest : public testing::TestWithParam<FontCase> {};

TEST_P(CreateLayoutFontTest, MakesAnOwnedPixelFont) {
    CBasicLayoutFrame frame;
    QFont* pFont = frame.CreateLayoutFont(QString::fromUtf16(GetParam().pszFace), GetParam().nSize);
    ASSERT_NE(pFont, nullptr);
    ASSERT_EQ(frame.FontList.size(), 1u);
    EXPECT_EQ(frame.FontList.front().get(), pFont);
    EXPECT_EQ(pFont->family(), QString::fromUtf16(GetParam().pszExpectedFamily));
    EXPECT_EQ(pFont->pixelSize(), GetParam().nExpectedPixelSize);
    // The face may be missing; some installed face stands in.
    EXPECT_FALSE(QFontInfo(*pFont).family().isEmpty());
    frame.ReleaseFonts();
    EXPECT_TRUE(frame.FontList.empty());
}

const FontCase kFontCases[] = {
    {"ListFont", u"Tahoma", 13, u"Tahoma", 13},
    {"ChineseFace", u"宋体", 12, u"宋体", 12},
    {"NegativeHeightMeansSameSize", u"Tahoma", -13, u"Tahoma", 13},
    {"ZeroIsDefaultSize", u"Tahoma", 0, u"Tahoma", -1},
    {"ThirtyOneCharactersKept", u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcde", 12, u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcde",
     12},
    {"LongerFaceCutTo31", u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghij", 12, u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcde",
     12},
};

INSTANTIATE_TEST_SUITE_P(Table, CreateLayoutFontTest, testing::ValuesIn(kFontCases), FontName);

TEST(DlgCtrlIDTest, KeptOnTheWidget) {
    QWidget widget;
    EXPECT_EQ(GetDlgCtrlID(&widget), 0);
    SetDlgCtrlID(&widget, 2107);
    EXPECT_EQ(GetDlgCtrlID(&widget), 2107);
    EXPECT_EQ(GetDlgCtrlID(nullptr), 0);
}

} // namespace
