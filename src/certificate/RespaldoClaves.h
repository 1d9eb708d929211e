// The earlier private key and signing request of one OpenSSL folder, moved aside under dated names while a new
// pair is generated: kept as backups when the generation succeeds, put back in place when it fails.
#pragma once

#include <QString>
#include <array>

class RespaldoClaves {
public:
    // `carpeta` ends with its separator.
    explicit RespaldoClaves(QString carpeta);
    // A generation that did not reach Confirmar() leaves the folder as it found it.
    ~RespaldoClaves();
    RespaldoClaves(const RespaldoClaves&) = delete;
    RespaldoClaves& operator=(const RespaldoClaves&) = delete;

    // Moves each of "privada.key" and "clave.csr" that exists aside, in the same folder, under its name followed
    // by the date and time and ".bak". Raises error 75 for a file that cannot be moved; a repeated call goes on
    // with the files still in place.
    void Respaldar();
    // The new pair was made: the backups stay where they are.
    void Confirmar() { m_confirmado = true; }

private:
    enum class Estado { SinRevisar, Ausente, Respaldado, EnSuLugar };
    struct Archivo {
        QString ruta;
        Estado estado = Estado::SinRevisar;
        QString respaldo;
    };

    // Discards what the failed run left under each name and returns each earlier file to its place.
    void restaurar();

    std::array<Archivo, 2> m_archivos;
    bool m_confirmado = false;
};
