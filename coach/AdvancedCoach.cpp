#include "coach/AdvancedCoach.h"

#include <iostream>

namespace tovren {

AdvancedCoach::AdvancedCoach(int, char**) {}

AdvancedCoach::~AdvancedCoach() = default;

void AdvancedCoach::run() { std::cout << "The coach role is not built yet." << std::endl; }

int AdvancedCoach::signalsMask() { return 0; }

}  // namespace tovren
