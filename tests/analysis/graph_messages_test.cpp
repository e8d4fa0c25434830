// Graph messages: identifiers, masks, synchronous delivery with nesting, references at full
// pointer width, and the trace lines.
#include <gtest/gtest.h>

#include <vector>

#include "analysis/graph_messages.h"

namespace {

// Records what arrives, reading references as a graph window would.
class TRecordingReceiver : public TGraphReceiver {
public:
    struct TArrival {
        uint32_t msg;
        TGraphicDataKind kind;
        std::uintptr_t wparam;
        std::string text;           // strings are copied on arrival
        TGraphicDataMask mask = 0;  // masks are read while the message is handled
    };
    std::vector<TArrival> arrivals;
    std::function<void(TGraphMessage&)> onMessage;

    void HandleGraphMessage(TGraphMessage& m) override {
        TArrival a{m.Msg, m.Kind(), m.WParam, {}, 0};
        if (m.Msg == WM_GraphicData && m.Kind() >= gd_Title && m.Kind() <= gd_Notes) {
            a.text = *reinterpret_cast<const std::string*>(m.WParam);
        }
        if (m.Kind() == gd_Mask && m.WParam != 0) {
            a.mask = *reinterpret_cast<const TGraphicDataMask*>(m.WParam);
        }
        arrivals.push_back(a);
        if (onMessage) onMessage(m);
    }
};

TEST(GraphMessages, IdentifiersAndMasks) {
    EXPECT_EQ(WM_GraphicData, 0x8000u + 400);
    EXPECT_EQ(WM_UpdatedData, 0x8196u);
    EXPECT_EQ(MaskOf({gd_Index, gd_ViewCurves}), kMaskIndexViewCurves);
    EXPECT_EQ(MaskOf({gd_Index, gd_Points, gd_Fit}), kMaskIndexPointsFit);
    EXPECT_EQ(MaskOf({gd_Selected, gd_Accepted}), kMaskSelectedAccepted);
    EXPECT_EQ(MaskOf({gd_ViewCurves, gd_Points}), kMaskViewCurvesPoints);
    EXPECT_EQ(sizeof(TGraphMessage().WParam), sizeof(void*));
}

TEST(GraphMessages, ItemsArriveInOrderWithTheirValues) {
    TGraphDispatcher dispatcher;
    TRecordingReceiver viewer;
    dispatcher.Register(kPointViewer, &viewer);
    int32_t index = 59;
    std::vector<double> points(1000);  // stands for the growth points
    {
        const std::string title = "Orvane - View points";
        EXPECT_TRUE(dispatcher.SendValue(kPointViewer, gd_Plot, plPoints));
        EXPECT_TRUE(dispatcher.SendText(kPointViewer, gd_Title, title));
    }  // the receiver holds its own copy of the title
    EXPECT_TRUE(dispatcher.SendValue(kPointViewer, gd_Spacing, 5));
    EXPECT_TRUE(dispatcher.SendReference(kPointViewer, gd_Points, &points));
    EXPECT_TRUE(dispatcher.SendReference(kPointViewer, gd_Index, &index));
    EXPECT_TRUE(dispatcher.SendDraw(kPointViewer, kMaskIndexPoints));
    EXPECT_TRUE(dispatcher.SendReference(kPointViewer, gd_Fit, nullptr));
    EXPECT_FALSE(dispatcher.SendDraw(kCurveViewer, kMaskIndexViewCurves));  // no such window

    ASSERT_EQ(viewer.arrivals.size(), 7u);
    EXPECT_EQ(viewer.arrivals[0].kind, gd_Plot);
    EXPECT_EQ(viewer.arrivals[0].wparam, plPoints);
    EXPECT_EQ(viewer.arrivals[1].text, "Orvane - View points");
    EXPECT_EQ(viewer.arrivals[2].wparam, 5u);
    // References arrive whole, at full pointer width, and read the sender's variables.
    EXPECT_EQ(reinterpret_cast<std::vector<double>*>(viewer.arrivals[3].wparam), &points);
    EXPECT_EQ(*reinterpret_cast<int32_t*>(viewer.arrivals[4].wparam), 59);
    EXPECT_EQ(viewer.arrivals[5].msg, WM_GraphicDraw);
    EXPECT_EQ(viewer.arrivals[5].mask, kMaskIndexPoints);
    EXPECT_EQ(viewer.arrivals[6].wparam, 0u);
}

TEST(GraphMessages, AnAnswerArrivesBeforeTheSendersHandlerReturns) {
    TGraphDispatcher dispatcher;
    TRecordingReceiver main;
    TRecordingReceiver viewer;
    dispatcher.Register(kMainWindowName, &main);
    dispatcher.Register(kPointViewer, &viewer);
    int32_t index = 3;
    // The main window answers a new index with a redraw of index and points.
    main.onMessage = [&](TGraphMessage& m) {
        if (m.Msg == WM_UpdatedPoints)
            dispatcher.SendDraw(kPointViewer, kMaskIndexViewCurvesPoints);
    };
    // Handling an item, the viewer writes a new index and tells the main window; the
    // main window's answer has arrived when that call returns, still inside the handler.
    std::size_t arrivalsAfterSend = 0;
    viewer.onMessage = [&](TGraphMessage& m) {
        if (m.Msg != WM_GraphicData) return;
        index = 7;
        dispatcher.SendUpdatedPoints(kMainWindowName);
        arrivalsAfterSend = viewer.arrivals.size();
    };
    dispatcher.SendValue(kPointViewer, gd_Plot, plPoints);
    EXPECT_EQ(arrivalsAfterSend, 2u);
    ASSERT_EQ(viewer.arrivals.size(), 2u);
    viewer.arrivals.erase(viewer.arrivals.begin());
    EXPECT_EQ(viewer.arrivals[0].mask, kMaskIndexViewCurvesPoints);
    EXPECT_EQ(main.arrivals[0].msg, WM_UpdatedPoints);
    EXPECT_EQ(main.arrivals[0].wparam, 0u);
    EXPECT_EQ(index, 7);
}

TEST(GraphMessages, TraceLines) {
    TGraphDispatcher dispatcher;
    TRecordingReceiver viewer;
    TRecordingReceiver main;
    dispatcher.Register(kCurveViewer, &viewer);
    dispatcher.Register(kMainWindowName, &main);
    std::vector<std::string> lines;
    dispatcher.SetTrace([&](const std::string& line) { lines.push_back(line); });
    int32_t index = 0;
    dispatcher.SendValue(kCurveViewer, gd_Plot, plViewCurves);
    dispatcher.SendText(kCurveViewer, gd_XLabel, "OSL channel");
    dispatcher.SendValue(kCurveViewer, gd_Spacing, 5);
    dispatcher.SendReference(kCurveViewer, gd_Index, &index);
    dispatcher.SendDraw(kCurveViewer, kMaskIndexViewCurvesPoints);
    dispatcher.SendClear(kCurveViewer, 0);
    dispatcher.SendUpdatedPoints(kMainWindowName);   // not traced
    dispatcher.SendUpdatedData(kMainWindowName, 0);  // not traced: no mask
    dispatcher.SendUpdatedData(kMainWindowName, kMaskSelectedAccepted);
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0], "WM_GraphicData to CurveViewer: Plot = 2.");
    EXPECT_EQ(lines[1], "WM_GraphicData to CurveViewer: XLabel = OSL channel.");
    EXPECT_EQ(lines[2], "WM_GraphicData to CurveViewer: Spacing = 5.");
    EXPECT_EQ(lines[3], "WM_GraphicData to CurveViewer: Index = " +
                            std::to_string(reinterpret_cast<std::uintptr_t>(&index)) + ".");
    EXPECT_NE(lines[4].find("WM_GraphicDraw to CurveViewer: Mask @"), std::string::npos);
    EXPECT_EQ(lines[4].substr(lines[4].find(" [")), " [gd_Index,gd_ViewCurves,gd_Points].");
    EXPECT_EQ(lines[5].substr(lines[5].size() - 7), " empty.");
    EXPECT_EQ(lines[6].substr(lines[6].find(" [")), " [gd_Selected,gd_Accepted].");
    EXPECT_EQ(lines[6].substr(0, 26), "WM_UpdatedData to EdForm1:");

    TGraphMessage unknown{0x8199, 0, gd_Spacing, 0};
    EXPECT_EQ(GraphTraceLine("X", unknown), " to X: Spacing = 0.");
}

}  // namespace
