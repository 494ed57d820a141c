#pragma once

#include <vector>

#include "snip/paintcommand.h"

class Tool;

// The one ordered list of annotation tools: the toolbar shows them in this
// order, and a command finds its kind here.
namespace toolregistry {

const std::vector<const Tool*>& tools();
// null for a value no tool has
const Tool* find(Graph type);

} // namespace toolregistry
