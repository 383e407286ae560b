// The backup engine: everything a run and the list handling need, in one include.
#pragma once

#include "ArchiveFolders.h"
#include "ArchiveStep.h"
#include "BackupCopy.h"
#include "CollectFiles.h"
#include "FileBackup.h"
#include "FileStamp.h"
#include "FileSystem.h"
#include "FolderBackup.h"
#include "FolderEntry.h"
#include "ListFile.h"
#include "RegistryBackup.h"
#include "RunOptions.h"
#include "SettingsFile.h"
#include "TextRoutines.h"
#include "ostra_consts.h"
#include "ostra_types.h"
