#include "on_units.h"

double ON_UnitSystem::MetersPerUnit(double unset_return_value) const {
  using U = ON::LengthUnitSystem;
  switch (m_units) {
    case U::Angstroms: return 1.0e-10;
    case U::Nanometers: return 1.0e-9;
    case U::Microns: return 1.0e-6;
    case U::Millimeters: return 0.001;
    case U::Centimeters: return 0.01;
    case U::Decimeters: return 0.1;
    case U::Meters: return 1.0;
    case U::Dekameters: return 10.0;
    case U::Hectometers: return 100.0;
    case U::Kilometers: return 1000.0;
    case U::Megameters: return 1.0e6;
    case U::Gigameters: return 1.0e9;
    case U::Microinches: return 2.54e-8;
    case U::Mils: return 2.54e-5;
    case U::Inches: return 0.0254;
    case U::Feet: return 0.3048;
    case U::Yards: return 0.9144;
    case U::Miles: return 1609.344;
    case U::PrintersPoints: return 0.0254 / 72.0;
    case U::PrintersPicas: return 0.0254 / 6.0;
    case U::NauticalMiles: return 1852.0;
    case U::AstronomicalUnits: return 1.495978707e11;
    case U::LightYears: return 9.4607304725808e15;
    case U::Parsecs: return 3.08567758e16;
    default: return unset_return_value;
  }
}
