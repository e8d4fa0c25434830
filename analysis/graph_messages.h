#pragma once
// The graph messages between the main window and the graph windows ("PointViewer",
// "CurveViewer", "GraphEditor"). The main window sets a window's data items one at a time
// (WM_GraphicData), asks for a redraw of a set of items (WM_GraphicDraw) or for their removal
// (WM_GraphicClear); a graph window reports the user's choices back (WM_UpdatedPoints,
// WM_UpdatedData). Delivery is a direct call of the receiver's handler: the sender goes on
// when the handler returns, so a handler that sends a message receives the answer before it
// returns itself.
//
// Ownership: strings (title, caption, labels, notes) are copied by the receiver when the
// item arrives. Everything else (the index variable, TLookupTable, TPlateauArray,
// TGrowthPoints, TFitRecord) travels as its address at full pointer width and is read by the
// receiver at every redraw: the sender keeps these variables at the same address for as long
// as a graph window may draw them. A graph window writes through three of them only: the
// current-index variable, TDosePoints::Selected and TGrowthPoint::Accepted. An address of 0
// clears the item in the receiver.
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <string>

enum TGraphMessageId : uint32_t {
    WM_GraphicData = 0x8190,  // item kind 0..14 in LParam
    WM_GraphicDraw = 0x8191,  // LParam gd_Mask, WParam the mask's address
    WM_GraphicClear = 0x8192,
    WM_ComputedFit = 0x8193,    // to the main window: accepted, no action
    WM_ComputedLine = 0x8194,   // to the main window: accepted, no action
    WM_UpdatedPoints = 0x8195,  // the index variable holds a new index
    WM_UpdatedData = 0x8196,    // LParam gd_Mask with a mask, or 0
};

enum TGraphicDataKind : uint8_t {
    gd_Index = 0,        // address of the sender's int32_t current index
    gd_Spacing = 1,      // int32_t: x distance between indices (TL: degrees per step)
    gd_Kind = 2,         // TDataKind
    gd_Plot = 3,         // TPlotKind
    gd_Title = 4,        // address of a std::string
    gd_Caption = 5,      // address of a std::string
    gd_XLabel = 6,       // address of a std::string
    gd_YLabel = 7,       // address of a std::string
    gd_Notes = 8,        // address of a std::string, lines separated by CR LF
    gd_EditCurves = 9,   // carries nothing
    gd_ViewCurves = 10,  // address of the sender's TLookupTable
    gd_Plateau = 11,     // address of the sender's TPlateauArray
    gd_Points = 12,      // address of the sender's TGrowthPoints
    gd_Line = 13,        // address of a TFitRecord holding a fitted line
    gd_Fit = 14,         // address of a TFitRecord holding a fitted growth curve
    gd_Mask = 15,        // address of a TGraphicDataMask
    gd_Selected = 16,    // mask member only: the selected dose group changed
    gd_Accepted = 17,    // mask member only: accepted flags changed
};
inline constexpr int kGraphicDataKindCount = 18;

// Bit n stands for item kind n.
using TGraphicDataMask = uint32_t;
constexpr TGraphicDataMask MaskOf(std::initializer_list<TGraphicDataKind> kinds) {
    TGraphicDataMask mask = 0;
    for (TGraphicDataKind k : kinds) mask |= TGraphicDataMask{1} << k;
    return mask;
}
inline constexpr TGraphicDataMask kMaskIndexViewCurves = 0x401;
inline constexpr TGraphicDataMask kMaskPlateau = 0x800;
inline constexpr TGraphicDataMask kMaskIndexPlateau = 0x801;
inline constexpr TGraphicDataMask kMaskPoints = 0x1000;
inline constexpr TGraphicDataMask kMaskIndexPoints = 0x1001;
inline constexpr TGraphicDataMask kMaskViewCurvesPoints = 0x1400;
inline constexpr TGraphicDataMask kMaskIndexViewCurvesPoints = 0x1401;
inline constexpr TGraphicDataMask kMaskIndexPointsFit = 0x5001;
inline constexpr TGraphicDataMask kMaskIndex = 0x1;                 // WM_UpdatedData only
inline constexpr TGraphicDataMask kMaskSelectedAccepted = 0x30000;  // WM_UpdatedData only

enum TPlotKind : uint8_t {
    plNone = 0,
    plEditCurves = 1,
    plViewCurves = 2,
    plPoints = 3,
    plPlateau = 4,
    plResults = 5,
};

// How an index maps to the x value of a window's index field.
enum TDataKind : uint8_t { gkTemperature = 0, gkChannel = 1, gkDisk = 2, gkPoint = 3 };

// The names of the windows.
inline constexpr const char* kPointViewer = "PointViewer";
inline constexpr const char* kCurveViewer = "CurveViewer";
inline constexpr const char* kGraphEditor = "GraphEditor";
inline constexpr const char* kMainWindowName = "EdForm1";

// One message. WParam is pointer-sized so that it carries an address whole.
struct TGraphMessage {
    uint32_t Msg = 0;
    std::uintptr_t WParam = 0;
    std::uintptr_t LParam = 0;  // low byte: the item kind; the other bytes 0
    std::intptr_t Result = 0;   // not used
    TGraphicDataKind Kind() const { return static_cast<TGraphicDataKind>(LParam & 0xFF); }
};

// A window that receives graph messages. Unknown identifiers are to be ignored.
class TGraphReceiver {
public:
    virtual ~TGraphReceiver() = default;
    virtual void HandleGraphMessage(TGraphMessage& message) = 0;
};

// "WM_GraphicData" ... "WM_UpdatedData"; empty for an unknown identifier.
std::string GraphMessageName(uint32_t id);
// The trace line of a message to a window: "WM_GraphicData to PointViewer: Plot = 3.",
// "WM_GraphicDraw to PointViewer: Mask @<address> [gd_Index,gd_Points]." A mask is read
// through its address.
std::string GraphTraceLine(const std::string& receiver, const TGraphMessage& message);
// Whether the trace writes a line for the message: everything the main window sends to a
// graph window, and WM_UpdatedData with a mask.
bool IsTracedGraphMessage(const TGraphMessage& message);

// Delivers graph messages by window name. Receivers register and unregister themselves; the
// dispatcher owns none of them.
class TGraphDispatcher {
public:
    using TTraceSink = std::function<void(const std::string&)>;

    void Register(const std::string& name, TGraphReceiver* receiver);
    void Unregister(const std::string& name);
    TGraphReceiver* Find(const std::string& name) const;
    // The sink receives the trace line of every traced message before it is delivered.
    void SetTrace(TTraceSink sink) { trace_ = std::move(sink); }

    // Calls the receiver's handler and returns when it has returned; false when no window
    // of that name exists.
    bool Send(const std::string& to, TGraphMessage& message);

    // WM_GraphicData with an integer item (gd_Spacing, gd_Kind, gd_Plot).
    bool SendValue(const std::string& to, TGraphicDataKind kind, int32_t value);
    // WM_GraphicData with a string item (gd_Title ... gd_Notes); the receiver copies it.
    bool SendText(const std::string& to, TGraphicDataKind kind, const std::string& text);
    // WM_GraphicData with a reference item (gd_Index, gd_ViewCurves ... gd_Fit); nullptr
    // clears the item.
    bool SendReference(const std::string& to, TGraphicDataKind kind, const void* data);
    // WM_GraphicDraw / WM_GraphicClear with a mask that lives until the call returns.
    bool SendDraw(const std::string& to, TGraphicDataMask mask);
    bool SendClear(const std::string& to, TGraphicDataMask mask);
    // From a graph window: WM_UpdatedPoints, and WM_UpdatedData with a mask (0: no mask).
    bool SendUpdatedPoints(const std::string& to);
    bool SendUpdatedData(const std::string& to, TGraphicDataMask mask);

private:
    bool SendMask(const std::string& to, uint32_t id, TGraphicDataMask mask);
    std::map<std::string, TGraphReceiver*> receivers_;
    TTraceSink trace_;
};
