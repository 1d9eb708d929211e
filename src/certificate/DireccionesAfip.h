// The tax authority's web-service addresses: the invoicing service (WSFE) and the authentication
// service (WSAA), in production and in testing ("homologación").
#pragma once

namespace DireccionesAfip {

inline constexpr char kWsfeProduccion[] = "https://servicios1.afip.gov.ar/wsfev1/service.asmx";
inline constexpr char kWsaaProduccion[] = "https://wsaa.afip.gov.ar/ws/services/LoginCms";
inline constexpr char kWsfeHomologacion[] = "https://wswhomo.afip.gov.ar/wsfev1/service.asmx";
inline constexpr char kWsaaHomologacion[] = "https://wsaahomo.afip.gov.ar/ws/services/LoginCms";

} // namespace DireccionesAfip
