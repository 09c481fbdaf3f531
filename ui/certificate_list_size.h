#pragma once
// The certificate lists of the trust list and certificate store pages take
// nine tenths of the page's width and half its height; the named columns
// share the width in the given parts.
#include <initializer_list>
#include <utility>

#include <wx/dataview.h>

inline void size_certificate_list(wxDataViewListCtrl* list, const wxSize& page,
                                  std::initializer_list<std::pair<wxDataViewColumn*, double>> columns) {
    const wxSize size(page.x * 9 / 10, page.y / 2);
    list->SetSize(size);
    list->SetMinSize(size);
    list->SetMaxSize(size);
    for (const auto& [column, part] : columns) column->SetWidth(int(size.x * part));
}
