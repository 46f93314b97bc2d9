#include "firmware/indications.h"

#include "firmware/panel_state.h"

void UpdateIndications() {}

