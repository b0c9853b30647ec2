// "Create RMP": every calibrated map into one RMP file.
#include "app/tform1.h"

namespace karovel::app {

void TForm1::CreateROM1Click() {}

}  // namespace karovel::app
