#pragma once
// Fixed ids of the template database that Objects and desks are made of: one table for the whole
// program.

#include "space/ZEVConstants.h"
