// What a program's screens show, as text for drivers and tests: every form
// and every control with its name, class, state, caption and place. The
// simulated machine publishes it in <machine>/ui/<pid>.state; on Windows a
// program answers the registered message "ZorvexSetupDescribe" with it (the
// same names, states and places that accessibility tools read).
//
// Lines of tab-separated fields, the first word the kind, then name=value
// pairs (values escaped: \\ \t \n \r):
//   program  pid=  terminated=0|1  cursor=arrow|wait
//   form     name= class= handle= visible= shown= active= modal=
//            caption= bounds=L,T,W,H alpha= cues=0|1
//   control  form= name= class= handle= visible= showing=
//            enabled= focused= mouse= checked= position= caption= accname=
//            bounds= screen=
// (checked only for check boxes and radio buttons, position only for
// progress and scroll bars; mouse=1 for the control the mouse is over;
// cues=1 once the form shows its focus cues; accname, the name accessibility
// tools get, only for buttons, boxes and lists). A
// form's bounds are its client area on the screen; a control's bounds are in
// its parent, its screen= field the same rectangle on the screen.
#pragma once

#include <string>
#include <vector>

#include "platform/ui.h"

namespace win {

// The state text of an application (on its user-interface thread).
std::string DescribeUi(Application& application);

// Every control of a form: its own components, and what they own in turn,
// in creation order.
void CollectControls(const Component& owner, std::vector<Control*>& out);

// Escaping of state and request fields.
std::string EscapeField(const std::string& text);
std::string UnescapeField(const std::string& text);
std::vector<std::string> SplitTabs(const std::string& line);

// A value of one field of a state line ("" when absent).
std::string StateField(const std::vector<std::string>& fields, const std::string& name);
// The state line of a form or a control ("" when absent).
std::string FindStateLine(const std::string& state, const std::string& form, const std::string& control = "");

}  // namespace win
