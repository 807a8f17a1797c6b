// The install run's status line: the keys of the wizard's text section that
// its stages show. (While files are copied, the line shows each file's path.)
#pragma once

inline constexpr char16_t kChangeFolderCompetence[] = u"ChangeFolderCompetence";
inline constexpr char16_t kCopyFiles[] = u"CopyFiles";
inline constexpr char16_t kWriteRegOnUninstallFolder[] = u"WriteRegOnUninstallFolder";
inline constexpr char16_t kWriteRegOnBootName[] = u"WriteRegOnBootName";
inline constexpr char16_t kCreateLinks[] = u"CreateLinks";
inline constexpr char16_t kWriteRegOnPrivateFolder[] = u"WriteRegOnPrivateFolder";

inline constexpr const char16_t* kInstallStatusKeys[] = {kChangeFolderCompetence,    kCopyFiles,
                                                         kWriteRegOnUninstallFolder, kWriteRegOnBootName,
                                                         kCreateLinks,               kWriteRegOnPrivateFolder};
