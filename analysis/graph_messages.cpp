#include "analysis/graph_messages.h"

namespace {

const char* const kMemberNames[kGraphicDataKindCount] = {
    "gd_Index",  "gd_Spacing", "gd_Kind",  "gd_Plot",       "gd_Title",      "gd_Caption",
    "gd_XLabel", "gd_YLabel",  "gd_Notes", "gd_EditCurves", "gd_ViewCurves", "gd_Plateau",
    "gd_Points", "gd_Line",    "gd_Fit",   "gd_Mask",       "gd_Selected",   "gd_Accepted"};

std::string Text(const std::uintptr_t address) {
    const auto* text = reinterpret_cast<const std::string*>(address);
    return text ? *text : std::string();
}

}  // namespace

std::string GraphMessageName(uint32_t id) {
    switch (id) {
        case WM_GraphicData:
            return "WM_GraphicData";
        case WM_GraphicDraw:
            return "WM_GraphicDraw";
        case WM_GraphicClear:
            return "WM_GraphicClear";
        case WM_ComputedFit:
            return "WM_ComputedFit";
        case WM_ComputedLine:
            return "WM_ComputedLine";
        case WM_UpdatedPoints:
            return "WM_UpdatedPoints";
        case WM_UpdatedData:
            return "WM_UpdatedData";
        default:
            return {};
    }
}

bool IsTracedGraphMessage(const TGraphMessage& m) {
    return m.Msg == WM_GraphicData || m.Msg == WM_GraphicDraw || m.Msg == WM_GraphicClear ||
           (m.Msg == WM_UpdatedData && m.Kind() == gd_Mask);
}

std::string GraphTraceLine(const std::string& receiver, const TGraphMessage& m) {
    std::string line = GraphMessageName(m.Msg) + " to " + receiver + ": ";
    const std::string number = std::to_string(m.WParam);
    const std::string value = std::to_string(static_cast<int32_t>(m.WParam));
    switch (m.Kind()) {
        case gd_Index:
            return line + "Index = " + number + ".";
        case gd_Spacing:
            return line + "Spacing = " + value + ".";
        case gd_Kind:
            return line + "Kind = " + std::to_string(m.WParam & 0xFF) + ".";
        case gd_Plot:
            return line + "Plot = " + std::to_string(m.WParam & 0xFF) + ".";
        case gd_Title:
            return line + "Title = " + Text(m.WParam) + ".";
        case gd_Caption:
            return line + "Caption = " + Text(m.WParam) + ".";
        case gd_XLabel:
            return line + "XLabel = " + Text(m.WParam) + ".";
        case gd_YLabel:
            return line + "YLabel = " + Text(m.WParam) + ".";
        case gd_Notes:
            return line + "Notes = " + Text(m.WParam) + ".";
        case gd_EditCurves:
            return line + "EditCurves .";
        case gd_ViewCurves:
            return line + "ViewCurves @" + number + ".";
        case gd_Plateau:
            return line + "Plateau @" + number + ".";
        case gd_Points:
            return line + "Points @" + number + ".";
        case gd_Line:
            return line + "Line @" + number + ".";
        case gd_Fit:
            return line + "Fit @" + number + ".";
        case gd_Mask: {
            line += "Mask @" + number;
            const auto* mask = reinterpret_cast<const TGraphicDataMask*>(m.WParam);
            std::string members;
            for (int k = 0; mask && k < kGraphicDataKindCount; ++k) {
                if (*mask & (TGraphicDataMask{1} << k))
                    members += std::string(kMemberNames[k]) + ",";
            }
            if (members.empty()) return line + " empty.";
            members.back() = ']';
            return line + " [" + members + ".";
        }
        case gd_Selected:
            return line + "Selected ";
        case gd_Accepted:
            return line + "Accepted ";
        default:
            return line;
    }
}

void TGraphDispatcher::Register(const std::string& name, TGraphReceiver* receiver) {
    if (receiver) {
        receivers_[name] = receiver;
    } else {
        receivers_.erase(name);
    }
}

void TGraphDispatcher::Unregister(const std::string& name) {
    receivers_.erase(name);
}

TGraphReceiver* TGraphDispatcher::Find(const std::string& name) const {
    const auto it = receivers_.find(name);
    return it == receivers_.end() ? nullptr : it->second;
}

bool TGraphDispatcher::Send(const std::string& to, TGraphMessage& message) {
    TGraphReceiver* receiver = Find(to);
    if (!receiver) return false;
    if (trace_ && IsTracedGraphMessage(message)) trace_(GraphTraceLine(to, message));
    receiver->HandleGraphMessage(message);
    return true;
}

bool TGraphDispatcher::SendValue(const std::string& to, TGraphicDataKind kind, int32_t value) {
    TGraphMessage m{WM_GraphicData, static_cast<std::uintptr_t>(static_cast<uint32_t>(value)), kind,
                    0};
    return Send(to, m);
}

bool TGraphDispatcher::SendText(const std::string& to, TGraphicDataKind kind,
                                const std::string& text) {
    TGraphMessage m{WM_GraphicData, reinterpret_cast<std::uintptr_t>(&text), kind, 0};
    return Send(to, m);
}

bool TGraphDispatcher::SendReference(const std::string& to, TGraphicDataKind kind,
                                     const void* data) {
    TGraphMessage m{WM_GraphicData, reinterpret_cast<std::uintptr_t>(data), kind, 0};
    return Send(to, m);
}

bool TGraphDispatcher::SendMask(const std::string& to, uint32_t id, TGraphicDataMask mask) {
    // The mask variable lives until the receiver has handled the message.
    const TGraphicDataMask variable = mask;
    TGraphMessage m{id, reinterpret_cast<std::uintptr_t>(&variable), gd_Mask, 0};
    return Send(to, m);
}

bool TGraphDispatcher::SendDraw(const std::string& to, TGraphicDataMask mask) {
    return SendMask(to, WM_GraphicDraw, mask);
}

bool TGraphDispatcher::SendClear(const std::string& to, TGraphicDataMask mask) {
    return SendMask(to, WM_GraphicClear, mask);
}

bool TGraphDispatcher::SendUpdatedPoints(const std::string& to) {
    TGraphMessage m{WM_UpdatedPoints, 0, 0, 0};
    return Send(to, m);
}

bool TGraphDispatcher::SendUpdatedData(const std::string& to, TGraphicDataMask mask) {
    if (mask == 0) {
        TGraphMessage m{WM_UpdatedData, 0, 0, 0};
        return Send(to, m);
    }
    return SendMask(to, WM_UpdatedData, mask);
}
