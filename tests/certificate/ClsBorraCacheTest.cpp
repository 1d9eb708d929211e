#include "certificate/ClsBorraCache.h"

#include <QByteArray>
#include <array>
#include <cstring>
#include <gtest/gtest.h>

namespace {

std::span<const std::byte> bytes(const QByteArray& datos)
{
    return std::as_bytes(std::span(datos.constData(), static_cast<std::size_t>(datos.size())));
}

TEST(ClsBorraCache, HoldsNoBlockUntilAllocated)
{
    ClsBorraCache bloque;
    EXPECT_EQ(bloque.Handle(), 0u);
    std::array<std::byte, 4> destino{};
    bloque.LeerDe(destino, 4);
    EXPECT_EQ(destino, (std::array<std::byte, 4>{}));
    EXPECT_EQ(bloque.ExtraerUrlCache(0, 10), QString());
}

TEST(ClsBorraCache, CopiesWithinTheBlockBothWays)
{
    ClsBorraCache bloque;
    bloque.Allocate(16);
    ASSERT_NE(bloque.Handle(), 0u);
    EXPECT_EQ(bloque.Bloque().size(), 16u);
    const QByteArray datos("0123456789abcdef");
    bloque.EscribirA(bytes(datos), 16);
    std::array<char, 16> leido{};
    bloque.LeerDe(std::as_writable_bytes(std::span(leido)), 16);
    EXPECT_EQ(QByteArray(leido.data(), 16), datos);

    std::array<char, 4> parte{};
    bloque.LeerDe(std::as_writable_bytes(std::span(parte)), 3);
    EXPECT_EQ(QByteArray(parte.data(), 4), QByteArray("012\0", 4));
}

struct CopiaRechazada {
    const char* nombre;
    qint32 largo;
    std::size_t lado;
};

void PrintTo(const CopiaRechazada& copia, std::ostream* salida)
{
    *salida << copia.nombre;
}

class CopiaFueraDeLimites : public ::testing::TestWithParam<CopiaRechazada> {};

TEST_P(CopiaFueraDeLimites, IsRefusedAndChangesNothing)
{
    ClsBorraCache bloque;
    bloque.Allocate(8);
    const QByteArray original("ABCDEFGH");
    bloque.EscribirA(bytes(original), 8);

    const QByteArray otros(static_cast<qsizetype>(GetParam().lado), 'z');
    bloque.EscribirA(bytes(otros), GetParam().largo);
    std::array<char, 8> leido{};
    bloque.LeerDe(std::as_writable_bytes(std::span(leido)), 8);
    EXPECT_EQ(QByteArray(leido.data(), 8), original);

    QByteArray destino(static_cast<qsizetype>(GetParam().lado), '-');
    bloque.LeerDe(std::as_writable_bytes(std::span(destino.data(), destino.size())), GetParam().largo);
    EXPECT_EQ(destino, QByteArray(static_cast<qsizetype>(GetParam().lado), '-'));
}

INSTANTIATE_TEST_SUITE_P(Limites, CopiaFueraDeLimites,
                         ::testing::Values(CopiaRechazada{"MasQueElBloque", 9, 16},
                                           CopiaRechazada{"MasQueElOtroLado", 6, 5}, CopiaRechazada{"Negativo", -1, 8}),
                         [](const auto& info) { return std::string(info.param.nombre); });

TEST(ClsBorraCache, ReadsTheTextAtAnAddressInsideTheBlock)
{
    ClsBorraCache bloque;
    bloque.Allocate(32);
    const QByteArray registro("cabecera\0http://a.example/x\0resto", 33);
    bloque.EscribirA(bytes(registro), 32);
    const quintptr base = bloque.Handle();
    EXPECT_EQ(bloque.ExtraerUrlCache(base + 9, 32), "http://a.example/x");
    EXPECT_EQ(bloque.ExtraerUrlCache(base + 9, 4), "http") << "at most lMax characters";
    EXPECT_EQ(bloque.ExtraerUrlCache(base, 32), "cabecera");
    // "resto" runs to the end of the block without a NUL: readable only for fewer characters than remain.
    EXPECT_EQ(bloque.ExtraerUrlCache(base + 28, 4), "rest");
    EXPECT_EQ(bloque.ExtraerUrlCache(base + 28, 10), QString());
    EXPECT_EQ(bloque.ExtraerUrlCache(base + 32, 1), QString()) << "just past the block";
    EXPECT_EQ(bloque.ExtraerUrlCache(base - 1, 8), QString());
}

TEST(ClsBorraCache, ReadsAnsiText)
{
    ClsBorraCache bloque;
    bloque.Allocate(8);
    const QByteArray texto("a\xF1o\0", 4);
    bloque.EscribirA(bytes(texto), 4);
    EXPECT_EQ(bloque.ExtraerUrlCache(bloque.Handle(), 8), QString::fromUtf8("año"));
}

TEST(ClsBorraCache, ReleaseAndReallocate)
{
    ClsBorraCache bloque;
    bloque.Allocate(4096);
    ASSERT_NE(bloque.Handle(), 0u);
    bloque.LiberarMemoria();
    EXPECT_EQ(bloque.Handle(), 0u);
    EXPECT_TRUE(bloque.Bloque().empty());
    bloque.LiberarMemoria();

    bloque.Allocate(10);
    const QByteArray datos("abc");
    bloque.EscribirA(bytes(datos), 3);
    bloque.Allocate(20);
    EXPECT_EQ(bloque.Bloque().size(), 20u);
    std::array<char, 3> leido{};
    bloque.LeerDe(std::as_writable_bytes(std::span(leido)), 3);
    EXPECT_EQ(QByteArray(leido.data(), 3), QByteArray(3, '\0')) << "a new block starts empty";

    bloque.Allocate(0);
    EXPECT_EQ(bloque.Handle(), 0u);
}

} // namespace
