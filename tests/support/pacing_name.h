#pragma once
// A pacing's name, for tests run in each.

#include "machine/machine.h"

inline const char* PacingName(BoardPacing pacing) {
  switch (pacing) {
    case BoardPacing::RealTime: return "RealTime";
    case BoardPacing::Stepped: return "Stepped";
    case BoardPacing::Batched: return "Batched";
  }
  return "";
}
