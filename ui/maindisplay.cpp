#include "ui/maindisplay.h"

TfrmMainDisplay* frmMainDisplay = nullptr;

TfrmMainDisplay::TfrmMainDisplay() : TForm("frmMainDisplay", "QX40 Simulation", 780, 361) {}
