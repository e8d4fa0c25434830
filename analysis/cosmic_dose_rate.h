#pragma once
// Cosmic-ray dose rate after Prescott & Hutton (1994, Radiation Measurements 23, 497-500):
// the dose rate D0 at sea level and high geomagnetic latitude for the mass of overburden,
// scaled for the site's geomagnetic latitude and altitude with the factors F, J and H of
// Prescott & Stephan (1982, PACT 6, 17-25) read off their figure:
//   Dc = D0(x) * (F + J * exp(altitude_km / H)).

// A sampling site.
struct TCosmicSite {
    double Latitude = 0.0;   // degrees, north positive
    double Longitude = 0.0;  // degrees, east positive
    double Altitude = 0.0;   // metres above sea level
    double Depth = 0.0;      // metres below the surface
    double Density = 0.0;    // overburden density, g/cm3
};

// The steps of the computation, kept for the report.
struct TCosmicDetails {
    double Overburden = 0.0;           // x, hg/cm2 (depth in m times density in g/cm3)
    double GeomagneticLatitude = 0.0;  // degrees
    double SeaLevelDoseRate = 0.0;     // D0(x), Gy/ka
    double F = 0.0, J = 0.0, H = 0.0;
    double DoseRate = 0.0;  // Dc, Gy/ka
};

// D0 at sea level for x hg/cm2 of overburden (x >= 0).
double CosmicSeaLevelDoseRate(double overburden);
// Geomagnetic latitude (degrees) of a site, from the dipole approximation with the
// geomagnetic pole at 78.3 N, 291 E.
double GeomagneticLatitude(double latitude, double longitude);
// F, J and H for a geomagnetic latitude (degrees; the sign is ignored), interpolated between
// whole degrees.
void CosmicLatitudeFactors(double geomagneticLatitude, double& f, double& j, double& h);
// The whole computation for a site (inputs already checked).
TCosmicDetails CosmicDoseRate(const TCosmicSite& site);
