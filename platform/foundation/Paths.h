// The application's two folders: the read-only bundle (resources) and the writable documents
// folder. Both can be chosen by command-line options; defaults are set on first use.
#pragma once

#include <string>
#include <string_view>

namespace foundation {

// Default: "resources" beside the running program.
std::string bundleDir();
void setBundleDir(std::string dir);

// Default: $XDG_DATA_HOME/verdan/Documents, else ~/.local/share/verdan/Documents.
// Created on first use, readable by its owner only (it holds accounts); a folder that exists
// already keeps its mode.
std::string documentsDir();
void setDocumentsDir(std::string dir);

// Full path of a bundle resource or a documents file. An absolute name is returned as is.
std::string bundlePath(std::string_view name);
std::string documentsPath(std::string_view name);

// Folder of the running program.
std::string executableDir();

// Creates a folder and its parents; true when it exists afterwards.
bool makeDirectories(const std::string& dir);
// The same, every folder it creates with mode 0700.
bool makePrivateDirectories(const std::string& dir);

}  // namespace foundation
