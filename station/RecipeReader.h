#pragma once
// Reads a recipe file and checks all of it before anything is sent to a
// module: every problem found is reported, each as "FILE:LINE: what".
#include "MemberCatalog.h"
#include "Recipe.h"

#include <QStringList>
#include <functional>
#include <stdexcept>

// The recipe's problems, one "FILE:LINE: what is wrong" each.
class RecipeError : public std::runtime_error {
public:
    explicit RecipeError(const QStringList& problems)
        : std::runtime_error(problems.join('\n').toStdString()), m_problems(problems)
    {
    }
    QStringList problems() const { return m_problems; }

private:
    QStringList m_problems;
};

namespace RecipeReader {

// The largest recipe file read; no recipe comes close.
constexpr qint64 kMaxBytes = 1024 * 1024;
// The most samples one check may take.
constexpr int kMaxSamples = 1000;

// Turns a setting's text into a value of the property's type ("short",
// "text", ...) by the rules the tool's own "set" uses: the empty text
// when it converts, else why not (naming the property).
using Conversion = std::function<QString(const QString& property, const QString& text,
                                         const QString& type, component::Variant* value)>;

// The whole recipe at path; throws RecipeError naming every problem.
Recipe read(const QString& path, const MemberCatalog& catalog, const Conversion& convert);

} // namespace RecipeReader
