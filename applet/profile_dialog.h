// The profile dialog (1200): four rows of selection button, name and network
// type; OK, Edit Profile, Cancel, Help.
#pragma once

#include "view.h"

class ProfileDialog {
public:
    explicit ProfileDialog(View& view) : view_(view) {}

    // Opening: name limits, the profile list into the rows, the current row
    // checked, the type lists filled. (The glue installs the replacement
    // procedures before and sets the icon and system menu after.)
    void init();
    // A row's selection button is being set (its BM_SETCHECK).
    void selection_set(int row, bool checked);
    // A row's name edit lost the focus.
    void name_focus_lost(int row);
    // A command from a row's type list's drop-down part.
    void type_list_command(int row);
    // A button: IDOK, IDCANCEL, IDC_EDIT_PROFILE, IDC_HELP_BUTTON.
    void command(int id);
    // Enables row n alone and makes its profile current; always 1.
    int select_profile_row(int row);

private:
    View& view_;
};

// Control ids of a row (1 to 4).
int profile_select_id(int row);
int profile_name_id(int row);
int profile_type_id(int row);
