% Reference for the continuous fitting module: two Gaussian LEDs fitted to their sum
% spectrum with octave-optim's leasqr (Levenberg-Marquardt), from the start values the
% test's LED records hold. Prints the fitted peaks and widths (um), one per line:
% peak1, fwhm1, peak2, fwhm2.
% Run: octave --no-gui --quiet two_gaussians_fit.m > two_gaussians_fit.txt
pkg load optim
x = (380:2:780)' / 1000;
g = @(x, p, w) exp(-log(2) * ((x - p) / (w / 2)) .^ 2);
model = @(x, q) q(1) * g(x, q(3), q(4)) + q(2) * g(x, q(5), q(6));
truth = [0.8; 0.6; 0.47; 0.025; 0.6; 0.03];
y = model(x, truth);
start = [0.5; 0.5; 0.46; 0.02; 0.61; 0.035];
[f, q, cvg] = leasqr(x, y, start, model, 1e-12, 200);
if cvg != 1
  error("leasqr did not converge");
end
printf("%.10f\n%.10f\n%.10f\n%.10f\n", q(3), q(4), q(5), q(6));
