// The article and price tables of a company database, as the article window reads and writes them.
#pragma once

#include "support/TestDatabase.h"

namespace kembtest {

inline void crearTablasArticulos(TestDatabase& base)
{
    base.exec("CREATE TABLE V_MA_ARTICULOS (IdArticulo VARCHAR(25), CodigoBarra VARCHAR(25), "
              "Descripcion VARCHAR(60), IdUnidad VARCHAR(4), UsaSerie INTEGER, UsaLote INTEGER, "
              "Exento INTEGER, Suspendido INTEGER, CodigoBarraDun VARCHAR(25), CodigoBarra1 VARCHAR(25), "
              "CodigoBarra2 VARCHAR(25), CodigoBarra3 VARCHAR(25), CodigoBarra4 VARCHAR(25), UD_TTE VARCHAR(4), "
              "UMCB1 VARCHAR(4), UMCB2 VARCHAR(4), UMCB3 VARCHAR(4), UMCB4 VARCHAR(4), "
              "CodigoArtProveedor VARCHAR(25), CuentaProveedor VARCHAR(20), IdTipo VARCHAR(10))");
    base.exec("CREATE TABLE V_MA_PRECIOS (IDLISTA VARCHAR(4), Nombre VARCHAR(60), IdArticulo VARCHAR(25), "
              "ConIVA INTEGER, Precio1 NUMERIC, Precio2 NUMERIC, Precio3 NUMERIC, Precio4 NUMERIC, "
              "Precio5 NUMERIC, TipoLista VARCHAR(1), IdArticuloProveedor VARCHAR(25), IdUnidad VARCHAR(4))");
}

} // namespace kembtest
