// What the parts of the shell namespace share. Parts: ShellFolder.cpp
// (resolving, listing, attributes, names, order, renaming), Details.cpp (type
// names, detail columns), Verbs.cpp (open, delete to the trash, properties),
// Icons.cpp (the icon set and the icon of an item),
// ChangeNotify.cpp (the change watcher).
#pragma once
#include "platform/shell/ShellFolder.h"

#include <optional>
#include <string>

namespace shell
{
// One item of the namespace, resolved from its absolute list.
struct TNode
{
    enum TKind { nkDesktop, nkComputer, nkVirtual, nkVolume, nkFile } kind = nkDesktop;
    std::string path;    // file-system path; "" for Computer
    std::string name;    // text of the last item (raw file-name bytes)
    int rank = 0;        // fixed place of a virtual item or volume
    unsigned driveType = 0;
    std::string label;
    std::uint32_t fsFlags = 0;
};

// The item an absolute list names; nothing for a list that names no item of
// the namespace (file items are not checked for existence here).
std::optional<TNode> Resolve(const TItemIDList& absolute);
std::uint32_t NodeAttributes(const TNode& node, std::uint32_t mask);
std::string NodeDisplayName(const TNode& node, unsigned flags);
// "folder/name", without doubling the "/" of the root.
std::string JoinPath(const std::string& folder, const std::string& name);
// A file name as valid UTF-8: malformed bytes become U+FFFD.
std::string SanitizeName(const std::string& raw);
// What one look at a resolved item tells (one stat for a file-system name).
TItemInfo InfoOfNode(const TNode& node);
// The icon of a resolved item whose folder-ness is known.
int NodeIcon(const TNode& node, bool folder, bool open);
}
