#pragma once
// The fonts the layouts name, mapped onto the fonts every install has.

#include <QFont>

#include "windows/framework/types.h"

QFont QtFont(const Font& font);
