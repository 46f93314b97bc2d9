#pragma once
// Indications: the LED images, rebuilt from zero every 20 ms.

void UpdateIndications();
