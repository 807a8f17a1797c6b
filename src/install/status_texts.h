// The install run's status line: the keys of the wizard's text section that
// its stages show. (While files are copied, the line shows each file's path.)
#pragma once

#include "text/text_keys.h"

inline constexpr const char16_t* kInstallStatusKeys[] = {kChangeFolderCompetence,    kCopyFiles,
                                                         kWriteRegOnUninstallFolder, kWriteRegOnBootName,
                                                         kCreateLinks,               kWriteRegOnPrivateFolder};
