// Stage S5: carrying the user's device settings, macro libraries and logs over
// from the newest older version of a mouse or keyboard program on the disk,
// once per installed version (a marker file in the new install root records it).
#pragma once

#include "app/product_words.h"
#include "install/install_context.h"

void MigrateMouseUserData(const InstallContext& ctx);     // "Zorvex" + N, N from 3
void MigrateKeyboardUserData(const InstallContext& ctx);  // "Vantorix" + N, N from 1
