#pragma once
// The signature pane: a tree of every signature of the open document with
// its verdict, the checks behind it, its signing time, the source of trust,
// its details and its field, then the signature fields still empty. Clicking an item jumps to the signature or
// opens its certificate or signature dialog; a click that does not open or
// close a branch closes the pane.
#include <map>
#include <utility>

#include "forms/side_forms.h"

struct sigcheck_record;

// Kinds of the clickable items.
enum tree_item_kind : int {
    tree_item_signature = 0,
    tree_item_certificate = 1,
    tree_item_details = 2,
    tree_item_field = 3,
    tree_item_empty_field = 4,  // its index is the field's record, not a result
};

class left_panel : public leftpanel_base {
public:
    left_panel(wxWindow* parent, const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxDefaultSize,
               const wxString& name = wxEmptyString);
    ~left_panel() override;

    // Rebuilds the tree from current_document's results.
    void build_tree();
    // Empties the item map and the tree.
    void clear();
    // Enables or disables only the tree.
    bool Enable(bool enable = true) override;

    wxTreeCtrl* tree() const { return signature_tree; }
    // The pane's width follows its open rows (a long signer name, the source
    // of trust): never narrower than the width it was given, at most three
    // fifths of the window; rows wider still scroll sideways.
    void fit_width();
    // Acts on an item as a selection would (tests, label-edit veto).
    void act_on_item(const wxTreeItemId& item);

    std::map<wxTreeItemId, std::pair<int, int>> item_map;
    bool expand_click = false;

    void on_left_down(wxMouseEvent& event) override;
    void on_left_up(wxMouseEvent& event) override;
    void on_title_left_down(wxMouseEvent& event) override { on_left_down(event); }
    void on_title_left_up(wxMouseEvent& event) override { on_left_up(event); }
    void on_tree_left_down(wxMouseEvent& event) override { on_left_down(event); }
    void on_tree_left_up(wxMouseEvent& event) override;
    void on_tree_begin_label_edit(wxTreeEvent& event) override;
    void on_tree_item_collapsing(wxTreeEvent& event) override;
    void on_tree_item_expanding(wxTreeEvent& event) override;
    void on_tree_sel_changed(wxTreeEvent& event) override;

private:
    void setup();
    // Lists the signature fields that hold no signature yet.
    void add_empty_fields(const wxTreeItemId& root);
    // Goes to the field's page and outlines it.
    void show_field(const sigcheck_record& record);
    int base_width = 0;  // the width the window gave the pane
    // False when clicks must be ignored (no loaded document, verifying, signing starts).
    bool clicks_allowed() const;
};

// The main window's signature pane (null when none).
extern left_panel* signature_pane;
