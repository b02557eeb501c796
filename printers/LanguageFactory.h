#pragma once

#include <tuple>
#include <type_traits>

#include "languages/LanguageEncoders.h"
#include "printers/Languages.h"
#include "render/BaseRender.h"

// A new render for the language of a model number: Binding<T> is a front
// end's render for encoder T (where its bytes go, where its settings come
// from), T the encoder of the language's row. The result has reference
// count 1, or is null when the number selects no printer language.
template <template <class> class Binding>
CBaseRender* CreateRenderFor(int modelNumber) {
    CBaseRender* made = nullptr;
    auto tryRow = [&](const auto& row) {
        using Encoder = typename std::decay_t<decltype(row)>::EncoderType;
        if (!made && row.language.modelNumber == modelNumber) made = new Binding<Encoder>();
    };
    std::apply([&](const auto&... rows) { (tryRow(rows), ...); }, kLanguageRows);
    return made;
}
