#pragma once
// The front panel window: the fascia of either brand or the bare board, with
// the push buttons, keyswitch, LEDs, buzzer indicator and alarm counter.

#include "ui/framework/form.h"

class TfrmMainDisplay : public TForm {
 public:
  TfrmMainDisplay();
};

// The application's main window; null outside its lifetime.
extern TfrmMainDisplay* frmMainDisplay;
