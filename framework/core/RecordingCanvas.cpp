#include "RecordingCanvas.h"

namespace fw {

CanvasCall& RecordingCanvas::Record(CanvasOp op) {
    CanvasCall& call = m_calls.emplace_back();
    call.op = op;
    call.state = m_state;
    return call;
}

void RecordingCanvas::SelectFont(const FontSpec& font) {
    m_state.font = font;
    Record(CanvasOp::kSelectFont);
}

void RecordingCanvas::SelectPen(const PenSpec& pen) {
    m_state.pen = pen;
    Record(CanvasOp::kSelectPen);
}

void RecordingCanvas::SelectBrush(const BrushSpec& brush) {
    m_state.brush = brush;
    Record(CanvasOp::kSelectBrush);
}

void RecordingCanvas::SetBkColor(Rgb color) {
    m_state.bkColor = color;
    Record(CanvasOp::kSetBkColor);
}

void RecordingCanvas::SetTextColor(Rgb color) {
    m_state.textColor = color;
    Record(CanvasOp::kSetTextColor);
}

void RecordingCanvas::SetBkModeTransparent(bool transparent) {
    m_state.bkTransparent = transparent;
    Record(CanvasOp::kSetBkMode);
}

void RecordingCanvas::FillRect(const Rect& rect) {
    Record(CanvasOp::kFillRect).rect = rect;
}

void RecordingCanvas::Rectangle(const Rect& rect) {
    Record(CanvasOp::kRectangle).rect = rect;
}

void RecordingCanvas::Line(Point from, Point to) {
    CanvasCall& call = Record(CanvasOp::kLine);
    call.rect = Rect{from.x, from.y, to.x, to.y};
    call.points = {from, to};
}

void RecordingCanvas::Ellipse(const Rect& rect) {
    Record(CanvasOp::kEllipse).rect = rect;
}

void RecordingCanvas::Polygon(const std::vector<Point>& points) {
    Record(CanvasOp::kPolygon).points = points;
}

void RecordingCanvas::DrawText(std::string_view text, const Rect& box, unsigned flags) {
    CanvasCall& call = Record(CanvasOp::kDrawText);
    call.text = std::string(text);
    call.rect = box;
    call.flags = flags;
}

void RecordingCanvas::TextOut(Point at, std::string_view text) {
    CanvasCall& call = Record(CanvasOp::kTextOut);
    call.text = std::string(text);
    call.rect = Rect{at.x, at.y, at.x, at.y};
}

int RecordingCanvas::TextWidth(std::string_view text) {
    const int height = m_state.font.height > 0 ? m_state.font.height : 12;
    return static_cast<int>(text.size()) * height / 2;
}

void RecordingCanvas::DrawImage(ImageId image, Point at) {
    CanvasCall& call = Record(CanvasOp::kDrawImage);
    call.image = image;
    call.rect = Rect{at.x, at.y, at.x, at.y};
}

void RecordingCanvas::BlitToTarget() {
    Record(CanvasOp::kBlitToTarget);
}

void RecordingCanvas::Clear() {
    m_calls.clear();
    m_state = CanvasState{};
}

std::vector<const CanvasCall*> RecordingCanvas::Find(CanvasOp op) const {
    std::vector<const CanvasCall*> found;
    for (const CanvasCall& call : m_calls) {
        if (call.op == op) {
            found.push_back(&call);
        }
    }
    return found;
}

std::vector<const CanvasCall*> RecordingCanvas::FindTexts(std::string_view text) const {
    std::vector<const CanvasCall*> found;
    for (const CanvasCall& call : m_calls) {
        if ((call.op == CanvasOp::kDrawText || call.op == CanvasOp::kTextOut) &&
            call.text == text) {
            found.push_back(&call);
        }
    }
    return found;
}

const CanvasCall* RecordingCanvas::FindText(std::string_view text) const {
    const auto found = FindTexts(text);
    return found.empty() ? nullptr : found.front();
}

std::vector<const CanvasCall*> RecordingCanvas::FindAt(const Rect& rect) const {
    std::vector<const CanvasCall*> found;
    for (const CanvasCall& call : m_calls) {
        const bool boxed = call.op == CanvasOp::kFillRect || call.op == CanvasOp::kRectangle ||
                           call.op == CanvasOp::kEllipse || call.op == CanvasOp::kDrawText;
        if (boxed && call.rect == rect) {
            found.push_back(&call);
        }
    }
    return found;
}

size_t RecordingCanvas::Count(CanvasOp op) const {
    return Find(op).size();
}

size_t RecordingCanvas::IndexOf(const CanvasCall* call) const {
    return static_cast<size_t>(call - m_calls.data());
}

}  // namespace fw
