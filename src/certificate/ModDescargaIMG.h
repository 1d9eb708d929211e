// The advertising pictures: the download of the picture list and its pictures from the maker's site, the
// clean-up of the site's entries in the web cache, and the rotation of the pictures in the strip.
#pragma once

#include <QString>

class QLabel;

namespace ModDescargaIMG {

// 1-based number, as text, of the next picture to show; empty at program start.
inline QString IndiceImagen;

// Clears the site's cache entries, then downloads the list to "listaimagenes_web.txt" in the program's folder
// and every picture it names into `CarpetaImagenes`. `Fallo` becomes true when the list cannot be downloaded.
// An empty `CarpetaSitio` stands for the executable's name.
void DescargarImagenes(const QString& CarpetaImagenes, bool& Fallo, const QString& CarpetaSitio);
// Removes every web-cache entry whose address holds the maker's site address, without regard to case.
void BorrarCacheWeb();
// Shows the next picture file of the folder (in name order) and starts again after the last one.
void MostrarImagenSiguiente(QLabel* Imagen, const QString& CarpetaImagenes);

} // namespace ModDescargaIMG
