#include "lookup/CondicionConsulta.h"

#include <gtest/gtest.h>

namespace {

TEST(CondicionConsulta, TheHeadsOwnConditionIsPutInParentheses)
{
    struct Caso {
        const char* cabeza;
        const char* resultado;
    };
    for (const Caso& c : {
             Caso{"SELECT A FROM T WHERE X=1 OR Y=2 ", "SELECT A FROM T WHERE (X=1 OR Y=2) "},
             Caso{"select a from t where x=1", "select a from t where (x=1) "},
             Caso{"SELECT A FROM T", "SELECT A FROM T"},
             Caso{"SELECT (SELECT MAX(B) FROM U WHERE U.A = T.A) AS M FROM T WHERE T.A > 0 OR T.A < -5",
                  "SELECT (SELECT MAX(B) FROM U WHERE U.A = T.A) AS M FROM T WHERE (T.A > 0 OR T.A < -5) "},
             Caso{"SELECT (SELECT MAX(B) FROM U WHERE U.A = T.A) AS M FROM T",
                  "SELECT (SELECT MAX(B) FROM U WHERE U.A = T.A) AS M FROM T"},
             Caso{"SELECT NOWHERE, [where], \"Where\" FROM T WHERE N = 'a where b' OR N = ')'",
                  "SELECT NOWHERE, [where], \"Where\" FROM T WHERE (N = 'a where b' OR N = ')') "},
         })
        EXPECT_EQ(CondicionConsulta::EncerrarCondicion(c.cabeza).toStdString(), c.resultado) << c.cabeza;
}

TEST(CondicionConsulta, ABackslashIsMatchedAsItselfAndWildcardsStay)
{
    struct Caso {
        const char* patron;
        const char* resultado;
    };
    for (const Caso& c : {
             Caso{"%casa%roja%", " like '%casa%roja%' "},
             Caso{"ab_c%", " like 'ab_c%' "},
             Caso{"O'Brien%", " like 'O''Brien%' "},
             Caso{"%C:\\dir\\file%", " like '%C:\\\\dir\\\\file%' ESCAPE '\\' "},
         })
        EXPECT_EQ(CondicionConsulta::Like(c.patron).toStdString(), c.resultado) << c.patron;
}

} // namespace
