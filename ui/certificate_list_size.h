#pragma once
// The certificate lists of the trust list and certificate store pages take
// nine tenths of the page's width and half its height; the named columns
// share the width in the given parts, each at least as wide as its title.
#include <algorithm>
#include <initializer_list>
#include <utility>

#include <wx/dataview.h>

// The width that shows a column's whole title with the header's padding and
// its sort arrow: a narrower share would cut the title to "Trust Sour…".
inline int column_title_width(wxDataViewCtrl* list, wxDataViewColumn* column) {
    return list->GetTextExtent(column->GetTitle()).x + list->FromDIP(36);
}

// `width`, or the column's title width when that is more.
inline int column_width_for(wxDataViewCtrl* list, wxDataViewColumn* column, int width) {
    return std::max(width, column_title_width(list, column));
}

inline void size_certificate_list(wxDataViewListCtrl* list, const wxSize& page,
                                  std::initializer_list<std::pair<wxDataViewColumn*, double>> columns) {
    const wxSize size(page.x * 9 / 10, page.y / 2);
    list->SetSize(size);
    list->SetMinSize(size);
    list->SetMaxSize(size);
    for (const auto& [column, part] : columns) column->SetWidth(column_width_for(list, column, int(size.x * part)));
}
