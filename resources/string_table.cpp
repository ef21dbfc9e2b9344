// The string table.
#include "ui/string_table.h"

namespace vexa {
namespace {

const StringResource kStrings[] = {
    {IDS_RIGHTS_NOTICE, "Copyright (C) 1996 Varnel. All rights reserved."},
    {IDS_APP_TITLE, "Vexa"},
};

}  // namespace

std::span<const StringResource> stringTable() {
    return kStrings;
}

}  // namespace vexa
