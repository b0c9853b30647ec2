// The image view: redraw, scrolling, dragging, the lens and the cursor read-out.
#include "app/tform1.h"

namespace karovel::app {

void TForm1::RedrawView() {}

void TForm1::SetScrollRanges() {}

void TForm1::PlaceMarker(int /*map*/, int /*point*/) {}

void TForm1::Image1MouseDown(Qt::MouseButton /*button*/, int /*x*/, int /*y*/) {}

void TForm1::Image1MouseMove(Qt::MouseButtons /*buttons*/, int /*x*/, int /*y*/) {}

void TForm1::SCScrollbar1Change() {}

void TForm1::SCScrollbar2Change() {}

}  // namespace karovel::app
