// The overview drawing of all maps.
#include "app/tform1.h"

namespace karovel::app {

void TForm1::Overview1Click() {}

}  // namespace karovel::app
