// SPDX-License-Identifier: MIT
// The application port on Qt: activation policy, the about panel and quitting.
#pragma once

#include <QPointer>
#include <QString>
#include <functional>
#include <optional>

#include "ports/application.h"

class QMessageBox;

namespace tavrine::qt {

class QtApplication final : public ApplicationPort {
 public:
  // Makes the activation policy real where Qt has no API for it. On macOS the program's entry
  // passes a function (Objective-C++, setActivationPolicy: of NSApp) here; on Linux no desktop
  // shows a Dock icon for a process without windows, so none is needed.
  using ActivationPolicyHook = std::function<void(ActivationPolicy)>;

  // Needs the QApplication. From now on closing the last window (the about panel) does not end
  // the program: it ends only through terminate().
  explicit QtApplication(ActivationPolicyHook applyActivationPolicy = {});
  ~QtApplication() override;
  QtApplication(const QtApplication&) = delete;
  QtApplication& operator=(const QtApplication&) = delete;

  // Recorded, and passed to the hook if there is one.
  void setActivationPolicy(ActivationPolicy policy) override;
  // A non-modal about box (QMessageBox's about box, shown, not run) with the application's name
  // and version, so the run loop goes on. A second call brings the open box to the front again.
  // Nothing is activated first.
  void orderFrontStandardAboutPanel() override;
  // Ends the main loop at once with 0; called before the loop runs, the loop ends as it starts.
  void terminate() override;

  // The last policy set, if any.
  std::optional<ActivationPolicy> activationPolicy() const { return policy_; }
  // The about box while it is open, else null.
  QMessageBox* aboutPanel() const { return about_.data(); }

  // "Tavrine" and the version: QCoreApplication::applicationVersion() when set (on macOS, the
  // bundle's), else the project version the build was made from.
  static QString applicationName();
  static QString applicationVersion();

 private:
  ActivationPolicyHook applyActivationPolicy_;
  std::optional<ActivationPolicy> policy_;
  QPointer<QMessageBox> about_;
};

}  // namespace tavrine::qt
