// An application that records what it was asked to do.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/application.h"

namespace tavrine::doubles {

class RecordingApplication final : public ApplicationPort {
 public:
  void setActivationPolicy(ActivationPolicy policy) override { policies.push_back(policy); }
  void orderFrontStandardAboutPanel() override { ++aboutPanels; }
  void terminate() override { ++terminations; }

  std::vector<ActivationPolicy> policies;
  std::size_t aboutPanels = 0;
  std::size_t terminations = 0;
};

}  // namespace tavrine::doubles
