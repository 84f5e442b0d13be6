/* eu.h is a C header: this file is compiled as C so that the build breaks
 * when C++ creeps into it.  It fits a line through two points with the
 * flat C interface. */
#include "eu.h"

int EuFitLineFromC(double* c0, double* c1) {
  const double x[2] = {0.0, 1.0};
  const double y[2] = {1.0, 3.0};
  double coefficients[2];
  int count = 0;
  int rc = EUleastSquares(x, y, 2, 0, &count, coefficients);
  if (rc != EU_OK) return rc;
  *c0 = coefficients[0];
  *c1 = coefficients[1];
  return count;
}
